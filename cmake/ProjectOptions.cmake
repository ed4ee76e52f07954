# -Wnull-dereference is left out: at -O2 GCC 12 reports it inside libstdc++'s
# stream iterators, where no null pointer can occur.
#
# Per-target hygiene: our own targets get strict warnings and, when QVT_SANITIZE
# is on, AddressSanitizer and UndefinedBehaviorSanitizer. Third-party code and
# system headers are left alone. Warnings are errors only with QVT_WERROR
# (scripts/test turns it on): a user's or packager's build with another
# compiler or flags must not fail on a diagnostic that compiler adds.

option(QVT_WERROR "Treat warnings as errors for project targets" OFF)
option(QVT_SANITIZE "Build project targets with ASan and UBSan" OFF)

function(qvt_target_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow
                                             -Wnon-virtual-dtor -Wold-style-cast
                                             -Wcast-align -Wunused -Woverloaded-virtual
                                             -Wformat=2)
    if(QVT_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()

function(qvt_target_sanitizers target)
    if(QVT_SANITIZE)
        target_compile_options(${target} PRIVATE -fsanitize=address,undefined
                                                 -fno-sanitize-recover=all -fno-omit-frame-pointer)
        target_link_options(${target} PRIVATE -fsanitize=address,undefined)
    endif()
endfunction()

# Everything a project target needs in one call.
function(qvt_project_target target)
    qvt_target_warnings(${target})
    qvt_target_sanitizers(${target})
    target_compile_features(${target} PUBLIC cxx_std_20)
endfunction()
