// The word F1 looks up, read outwards from the cursor, and its address.
#include <gtest/gtest.h>

#include "core/desktop/web_reference.h"

namespace qvt::desktop {
namespace {

TEST(WebReference, WordUnderTheCursor) {
    const struct {
        const char* line;
        int column;
        const char* word;
    } cases[] = {
        {"#LIST 0 20", 3, "LIST"},  // prompt dropped, both halves joined
        {"PRINT A  B", 8, "A"},     // on a blank: the word to its left
        {"X=SIN(Y)", 4, "SIN"},     // the right scan stops at "("
        {"A=(B)C", 4, "B"},         // ... and at ")"
        {"A=(B)C", 6, "B)C"},       // the left scan stops at "(" but not at ")"
        {"IF A>B THEN", 6, "B"},    // ">" ends the word on the left only
        {"GOTO *L1#2", 7, "L1"},    // cut before a later "#"
        {"LIST", 5, "LIST"},        // just after the word
        {"##", 2, ""},              // prompts only
        {"LIST", 9, ""},            // beyond the line
    };
    for (const auto& c : cases) {
        EXPECT_EQ(reference_word(c.line, c.column), c.word) << c.line << " @" << c.column;
    }
    EXPECT_EQ(reference_address("ref.test/", "A&B"),
              "https://ref.test/kvb2000/ref/index.php?dsp=jpn&srh=search&sl1=on&typ=and&wrd=A%26B");
}

}  // namespace
}  // namespace qvt::desktop
