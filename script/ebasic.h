#ifndef TARVO_SCRIPT_EBASIC_H_
#define TARVO_SCRIPT_EBASIC_H_

#include <string>
#include <string_view>

// The rules of E-Basic text that the rewriting relies on, each in one place: how a text is
// written into the script, how Tarvo marks what it wrote, and how a line is matched.

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

/// An attribute name as a string literal: only its double quotes are doubled, so the name
/// stays the one the script's own lines use.
std::string NameLiteral(std::string_view name);

/// How a line is compared with a probe.
enum class LineMatch {
  /// The squeezed line (whitespace removed, letters upper-cased) begins with the squeezed
  /// probe; anything may follow. An empty probe matches nothing.
  kBeginsWith,
  /// The line begins, after blanks and tabs, with the probe in any letter case, followed by
  /// its end or by a byte that cannot continue a name: a call of a routine or the
  /// assignment of its result, but not "PreRunDone = True".
  kBeginsWithWord,
  /// The squeezed line, up to its first apostrophe (a comment), is the squeezed probe.
  kIs,
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
  std::string word_;  // for kBeginsWithWord, as given
  LineMatch match_;
};

/// True when `path` names a script of E-Prime 2 or later: ".ebs2" or ".ebs3" in any letter
/// case. Such scripts are encrypted, not text, and cannot be rewritten.
bool IsLaterEPrimeScriptName(std::string_view path);

#endif  // TARVO_SCRIPT_EBASIC_H_
