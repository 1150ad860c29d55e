#pragma once
// String routines that the file-name features are built from.
//
// All positions are 1-based; position 0 means "not found". Searching compares bytes exactly, an empty
// search string is never found and nothing is found in an empty text. Letter case is folded for the
// ASCII letters only; every other byte (accented letters, UTF-8 sequences) stays as it is. Every
// function leaves its arguments unchanged and returns a new string.

#include <string>
#include <string_view>
#include <vector>

namespace parvex {

// ASCII-only case folding: 'A'..'Z' to 'a'..'z' (resp. the reverse); every other byte unchanged.
// Inline: a scan folds every byte of every name it lists.
inline char LowerCaseChar(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
inline char UpperCaseChar(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
std::string LowerCase(std::string_view text);
std::string UpperCase(std::string_view text);
// Whether `a` and `b` are equal with ASCII letter case folded (how comment names and masks match).
bool SameIgnoringCase(std::string_view a, std::string_view b);

// Position of the first occurrence of `sub` that starts at `from` or later, or 0. A `from` below 1
// counts as 1.
int PosFrom(std::string_view text, std::string_view sub, int from);

// Characters `from` to the end; empty when `from` <= 0 or `from` > the length.
std::string CopyFrom(std::string_view text, int from);

// Characters `from` to `to` inclusive, `to` cut to the length; empty when `from` <= 0 or `to` < `from`.
std::string CopyRange(std::string_view text, int from, int to);

// `text` with every occurrence of `find` replaced by `replacement`, taken left to right without
// overlap; the inserted text is never searched again. An empty `find` changes nothing.
std::string ReplaceAll(std::string_view text, std::string_view find, std::string_view replacement);

// `text` with every occurrence of `word`, found without regard to ASCII case, put into lower case.
// Two occurrences that share one character are both rewritten (" of " turns "A Of Of B" into
// "A of of B").
std::string LowerCaseWord(std::string_view text, std::string_view word);

// The n-th field (1-based) of `text` split at `separator`, taken left to right. A text without the
// separator is one field; the field after a trailing separator is empty. Empty for n <= 0, for n past
// the last field and for an empty text. An empty separator is never found.
std::string NthField(std::string_view text, std::string_view separator, int n);

// One more than the number of places at which `separator` occurs in `text`, overlapping occurrences
// each counted ("a---b" has three fields at "--"); 0 for an empty text, 1 for an empty separator.
int CountFields(std::string_view text, std::string_view separator);

// The letter-case fix: every entry of `words` that stands between two spaces in `text` is put into
// lower case, the entries applied in list order. A word at either end of the text keeps its case.
std::string LowerCaseListedWords(std::string_view text, const std::vector<std::string>& words);

// `text` without its leading and trailing blanks and control characters (every byte up to the blank).
std::string_view TrimControls(std::string_view text);

// `text` in double quotes, with the quote, the backslash, every control character and the marks
// that rearrange or break a line unseen (bidirectional controls U+202A to U+202E and U+2066 to
// U+2069, line and paragraph separators U+2028 and U+2029) escaped as JSON escapes them (\", \\,
// \n, \r, \t, \u001b, \u202e), so that any value stands on one line, reads as it is stored and can
// be told apart from the text around it. The other bytes are kept as they are.
std::string QuotedText(std::string_view text);

// A file or folder name as the log and messages show it: the backslash, the control characters
// and the marks escaped as QuotedText escapes them, the other bytes kept. Reversible: a name with a
// line break ("a\nb") and one with a backslash and an "n" ("a\\nb") never show alike.
std::string EscapedName(std::string_view text);

// `text` with its control characters and marks escaped as QuotedText escapes them, and nothing else
// changed (a backslash stays as it is): a line or message, whose names are already escaped, that can
// neither break its line nor send commands to the terminal.
std::string EscapedControls(std::string_view text);

}  // namespace parvex
