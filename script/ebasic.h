#ifndef TARVO_SCRIPT_EBASIC_H_
#define TARVO_SCRIPT_EBASIC_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/text_helpers.h"

// The rules of E-Basic text that the rewriting relies on, each in one place: how a text is
// written into the script, how Tarvo marks what it wrote, how a line is matched, where a
// statement and a line's code end.

/// The comments that end the lines Tarvo writes, so a reader and a later run know them.
inline constexpr char kValueComment[] = "' value set by Tarvo";
inline constexpr char kPromptRemovedNote[] = "; removed user prompt section";
inline constexpr char kPathComment[] = "' path inserted by Tarvo";
inline constexpr char kLineComment[] = "' line inserted by Tarvo";
inline constexpr char kSummaryComment[] = "' summary answered by Tarvo";

/// `text` as an E-Basic string literal, quotes included: every double quote doubled, then
/// every backslash doubled. E-Basic literals know backslash escapes ("\n" is a new line),
/// so this is how C:\temp stays C:\temp and a UNC folder keeps both leading backslashes.
std::string StringLiteral(std::string_view text);

/// The text of a string literal as E-Basic reads it, quotes included in `literal`: a
/// doubled quote is one quote and a doubled backslash one backslash. None for a literal
/// without its closing quote or with any other backslash, an escape E-Basic gives its own
/// meaning.
std::optional<std::string> DecodeLiteral(std::string_view literal);

/// How a line is compared with a probe.
enum class LineMatch {
  /// The squeezed line (whitespace removed, letters upper-cased) begins with the squeezed
  /// probe; anything may follow. An empty probe matches nothing.
  kBeginsWith,
  /// The line begins, after blanks and tabs, with the probe's words in any letter case,
  /// separated by blanks or tabs and followed by the line's end or by a byte that cannot
  /// continue a name: "Call PreRun" matches "call  PreRun(x)" but not "Call PreRunDone".
  kBeginsWithWords,
};

/// A text to look for in lines, made ready once for many lines.
class LineProbe {
 public:
  LineProbe(std::string_view text, LineMatch match);
  // Not explicit: a plain text is a kBeginsWith probe.
  LineProbe(const char* text) : LineProbe(text, LineMatch::kBeginsWith) {}         // NOLINT
  LineProbe(const std::string& text) : LineProbe(text, LineMatch::kBeginsWith) {}  // NOLINT

  bool Matches(std::string_view line) const;
  /// What the squeezed form of every line it matches begins with.
  const std::string& squeezed() const { return squeezed_; }

 private:
  std::string squeezed_;
  std::string words_;  // for kBeginsWithWords, as given
  LineMatch match_;
};

/// True for the bytes that can continue a name: letters, digits and the underscore.
inline bool IsNameByte(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

/// True when the statement on `line` goes on on the next line: after its trailing blanks
/// and tabs, the line ends in a blank or tab followed by "_".
bool ContinuesOnNextLine(std::string_view line);

/// The line without its comment: everything from the first apostrophe that stands outside
/// a string literal on.
std::string_view CodeOf(std::string_view line);

/// A word of E-Basic code: a name (letters, digits and underscores, so a number too), a
/// string literal with its quotes, or any other single byte. Blanks and tabs only separate.
struct Token {
  enum Kind { kName, kString, kSymbol };
  Kind kind;
  std::string_view text;

  /// True for a name token that is `name` in any letter case.
  bool IsNameInsensitive(std::string_view name) const {
    return kind == kName && text.size() == name.size() && EqualsInsensitive(text, name);
  }
};

/// True when tokens[at] is the symbol `symbol`; false beyond the end.
inline bool IsSymbol(const std::vector<Token>& tokens, size_t at, std::string_view symbol) {
  return at < tokens.size() && tokens[at].kind == Token::kSymbol && tokens[at].text == symbol;
}

/// The words of `code`, which holds no comment (see CodeOf). A literal that lacks its
/// closing quote runs to the end.
std::vector<Token> Tokenize(std::string_view code);
/// The same into `tokens`, which keep their room from line to line.
void Tokenize(std::string_view code, std::vector<Token>* tokens);

/// True when `path` names a script of E-Prime 2 or later: ".ebs2" or ".ebs3" in any letter
/// case. Such scripts are encrypted, not text, and cannot be rewritten.
bool IsLaterEPrimeScriptName(std::string_view path);

#endif  // TARVO_SCRIPT_EBASIC_H_
