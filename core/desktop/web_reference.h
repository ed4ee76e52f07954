// The web command reference: which word under the terminal cursor the user
// means, and the address of the reference page on that word.
//
// How it works: the word is read outwards from the cursor on the screen line.
// To the right it ends at the first character of one set, to the left at the
// first of another: the two sets differ so that a function call such as
// "SIN(X)" gives "SIN" from either side, and a comparison "A>B" read from its
// right part gives "B". Prompt characters in front of the word are dropped,
// and the word ends before any later "#". The address is the configured host
// followed by the search page's fixed path and query.
#pragma once

#include <string>

namespace qvt::desktop {

// The word at `column` (1-based, the cursor's cell) of `line`; empty when
// there is none.
std::string reference_word(const std::string& line, int column);

// The search page's address for `word` on `host`. A host without a scheme is
// taken as https; the word is percent-encoded, so that no character of it can
// change the query.
std::string reference_address(const std::string& host, const std::string& word);

}  // namespace qvt::desktop
