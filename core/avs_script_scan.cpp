// SPDX-License-Identifier: GPL-3.0-or-later
// One small lexer serves every rule: names, punctuation, and what AviSynth
// skips (strings, "#" to the line's end, "/* */", nested "[* *]").
#include "core/avs_script_scan.h"

#include <algorithm>
#include <cctype>

namespace clipquill {
namespace {

enum class TokenKind { Name, Punct, String, Comment, Number, LineEnd };

struct Token {
  TokenKind kind;
  std::size_t start;
  std::size_t end;
  bool open = false;  // a string or comment the text ends inside
};

bool nameStart(char c) {
  return std::isalpha(static_cast<unsigned char>(c)) != 0 || c == '_';
}
bool nameChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_';
}

class Lexer {
 public:
  explicit Lexer(std::string_view text) : t_(text) {}

  bool next(Token& token) {
    while (at_ < t_.size() && (t_[at_] == ' ' || t_[at_] == '\t' || t_[at_] == '\r'))
      ++at_;
    if (at_ >= t_.size()) return false;
    const std::size_t start = at_;
    const char c = t_[at_];
    token = Token{TokenKind::Punct, start, start + 1};
    if (c == '\n') {
      token.kind = TokenKind::LineEnd;
    } else if (c == '#') {
      token.kind = TokenKind::Comment;
      token.open = t_.find('\n', start) == std::string_view::npos;
      token.end = std::min(t_.find('\n', start), t_.size());
    } else if (t_.substr(start, 2) == "/*") {
      closeAt(token, TokenKind::Comment, t_.find("*/", start + 2), 2);
    } else if (t_.substr(start, 2) == "[*") {
      nested(token);
    } else if (t_.substr(start, 3) == "\"\"\"") {
      closeAt(token, TokenKind::String, t_.find("\"\"\"", start + 3), 3);
    } else if (c == '"') {
      closeAt(token, TokenKind::String, t_.find('"', start + 1), 1);
    } else if ((c == 'e' || c == 'E') && start + 1 < t_.size() && t_[start + 1] == '"') {
      escaped(token);
    } else if (nameStart(c)) {
      token.kind = TokenKind::Name;
      while (token.end < t_.size() && nameChar(t_[token.end]))
        ++token.end;
    } else if (std::isdigit(static_cast<unsigned char>(c)) != 0 || c == '$') {
      // Numbers, and "$FF8000" colours, which would read as names otherwise.
      token.kind = TokenKind::Number;
      while (token.end < t_.size() && (nameChar(t_[token.end]) || t_[token.end] == '.'))
        ++token.end;
    }
    at_ = token.end;
    return true;
  }

 private:
  void closeAt(Token& token, TokenKind kind, std::size_t close, std::size_t width) {
    token.kind = kind;
    token.open = close == std::string_view::npos;
    token.end = token.open ? t_.size() : close + width;
  }
  void nested(Token& token) {
    token.kind = TokenKind::Comment;
    int depth = 0;
    std::size_t i = token.start;
    while (i + 1 < t_.size()) {
      if (t_[i] == '[' && t_[i + 1] == '*') {
        ++depth;
        i += 2;
      } else if (t_[i] == '*' && t_[i + 1] == ']') {
        i += 2;
        if (--depth == 0) {
          token.end = i;
          return;
        }
      } else {
        ++i;
      }
    }
    token.open = true;
    token.end = t_.size();
  }
  void escaped(Token& token) {
    token.kind = TokenKind::String;
    for (std::size_t i = token.start + 2; i < t_.size(); ++i) {
      if (t_[i] == '\\') {
        ++i;
      } else if (t_[i] == '"') {
        token.end = i + 1;
        return;
      }
    }
    token.open = true;
    token.end = t_.size();
  }

  std::string_view t_;
  std::size_t at_ = 0;
};

// The language's own words, which look like calls: if (...), while (...).
bool isKeyword(std::string_view lower) {
  static const std::unordered_set<std::string_view> keywords = {
      "true", "false", "yes",    "no",   "return", "global",   "function", "try",     "catch",
      "if",   "else",  "while",  "for",  "break",  "continue", "last",     "__end__", "clip",
      "int",  "float", "string", "bool", "val",    "array",    "func"};
  return keywords.contains(lower);
}

// Damerau-free Levenshtein distance, without case, bounded by `most`.
std::size_t distance(std::string_view a, std::string_view b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j)
    row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      const bool same = std::tolower(static_cast<unsigned char>(a[i - 1])) ==
                        std::tolower(static_cast<unsigned char>(b[j - 1]));
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (same ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

std::string nearestOf(std::string_view name, const std::vector<std::string_view>& names) {
  std::size_t best = std::max<std::size_t>(2, name.size() / 3) + 1;
  std::string found;
  for (std::string_view candidate : names) {
    if (candidate.size() + best <= name.size() || name.size() + best <= candidate.size()) continue;
    const std::size_t d = distance(name, candidate);
    if (d < best && d > 0) {
      best = d;
      found = candidate;
    }
  }
  return found;
}

// An open parenthesis while reading: the call it belongs to, when a name
// stands before it.
struct Open {
  std::string function;
  std::size_t nameStart = 0;
  std::size_t argument = 0;
  std::string namedArgument;
  bool atArgumentStart = true;
  bool method = false;
};

// Reads text up to `end`, keeping the open parentheses; what the last
// token was tells whether a name before '(' is a call.
struct CallReader {
  std::vector<Open> open;
  std::size_t lastNameStart = 0, lastNameEnd = 0;
  bool lastWasName = false;
  bool dotBeforeLastName = false;
  bool lastWasDot = false;
  bool pendingNamed = false;  // a name at an argument's start, '=' may follow
  std::size_t pendingStart = 0, pendingEnd = 0;
  bool endsInStringOrComment = false;

  void read(std::string_view text, std::size_t end) {
    Lexer lexer(text.substr(0, end));
    Token token;
    while (lexer.next(token)) {
      const std::string_view piece = text.substr(token.start, token.end - token.start);
      const bool wasName = lastWasName;
      lastWasName = false;
      if (token.kind == TokenKind::String || token.kind == TokenKind::Comment) {
        if (token.open) endsInStringOrComment = true;
        if (token.kind == TokenKind::String) argumentGoesOn();
        lastWasDot = false;
        continue;
      }
      if (token.kind == TokenKind::Name) {
        const bool argumentStart = !open.empty() && open.back().atArgumentStart;
        dotBeforeLastName = lastWasDot;
        lastNameStart = token.start;
        lastNameEnd = token.end;
        lastWasName = true;
        lastWasDot = false;
        pendingNamed = argumentStart;
        pendingStart = token.start;
        pendingEnd = token.end;
        argumentGoesOn();
        continue;
      }
      const char c = piece.empty() ? '\0' : piece[0];
      if (c == '=' && pendingNamed && wasName && !open.empty() &&
          !(token.end < end && text[token.end] == '=')) {
        open.back().namedArgument =
            std::string(text.substr(pendingStart, pendingEnd - pendingStart));
      }
      pendingNamed = false;
      if (c == '(') {
        Open o;
        if (wasName) {
          o.function = std::string(text.substr(lastNameStart, lastNameEnd - lastNameStart));
          o.nameStart = lastNameStart;
          o.method = dotBeforeLastName;
        }
        argumentGoesOn();
        open.push_back(std::move(o));
      } else if (c == ')') {
        if (!open.empty()) open.pop_back();
        argumentGoesOn();
      } else if (c == ',' && !open.empty()) {
        ++open.back().argument;
        open.back().namedArgument.clear();
        open.back().atArgumentStart = true;
      } else if (token.kind != TokenKind::LineEnd && !(c == '\\')) {
        argumentGoesOn();
      }
      lastWasDot = c == '.';
    }
  }

  void argumentGoesOn() {
    if (!open.empty()) open.back().atArgumentStart = false;
  }
};

std::string fileNameOf(std::string_view source) {
  const std::size_t slash = source.find_last_of("/\\");
  return std::string(slash == std::string_view::npos ? source : source.substr(slash + 1));
}

}  // namespace

std::string lowerName(std::string_view name) {
  std::string lower(name);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return lower;
}

FunctionIndex::FunctionIndex(std::vector<AvsFunction> functions)
    : functions_(std::move(functions)) {
  sorted_.reserve(functions_.size());
  for (std::size_t i = 0; i < functions_.size(); ++i)
    sorted_.emplace_back(lowerName(functions_[i].name), i);
  std::stable_sort(sorted_.begin(), sorted_.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
}

std::vector<const AvsFunction*> FunctionIndex::find(std::string_view name) const {
  const std::string lower = lowerName(name);
  std::vector<const AvsFunction*> found;
  auto it =
      std::lower_bound(sorted_.begin(), sorted_.end(), lower,
                       [](const auto& entry, const std::string& key) { return entry.first < key; });
  for (; it != sorted_.end() && it->first == lower; ++it)
    found.push_back(&functions_[it->second]);
  return found;
}

std::vector<const AvsFunction*> FunctionIndex::withPrefix(std::string_view prefix) const {
  const std::string lower = lowerName(prefix);
  std::vector<const AvsFunction*> found;
  auto it =
      std::lower_bound(sorted_.begin(), sorted_.end(), lower,
                       [](const auto& entry, const std::string& key) { return entry.first < key; });
  for (; it != sorted_.end() && it->first.starts_with(lower); ++it) {
    const AvsFunction& f = functions_[it->second];
    const bool again = !found.empty() && found.back()->source == f.source &&
                       lowerName(found.back()->name) == it->first;
    if (!again) found.push_back(&f);
  }
  return found;
}

std::string FunctionIndex::nearest(std::string_view name) const {
  std::vector<std::string_view> names;
  names.reserve(functions_.size());
  for (const AvsFunction& f : functions_)
    names.push_back(f.name);
  return nearestOf(name, names);
}

std::size_t statementStart(std::string_view text, std::size_t caret, std::size_t limit) {
  caret = std::min(caret, text.size());
  const std::size_t floor = caret > limit ? caret - limit : 0;
  auto lineStart = [&](std::size_t at) {
    const std::size_t nl = at == 0 ? std::string_view::npos : text.rfind('\n', at - 1);
    return nl == std::string_view::npos ? std::size_t{0} : nl + 1;
  };
  std::size_t start = std::max(lineStart(caret), floor);
  // "\" at the end of the line before, or at the start of this one, joins.
  while (start > floor && start == lineStart(start)) {
    const std::size_t before = lineStart(start - 1);
    std::string_view previous = text.substr(before, start - 1 - before);
    while (!previous.empty() &&
           (previous.back() == ' ' || previous.back() == '\t' || previous.back() == '\r'))
      previous.remove_suffix(1);
    std::string_view self = text.substr(start, caret - start);
    while (!self.empty() && (self.front() == ' ' || self.front() == '\t'))
      self.remove_prefix(1);
    if (!previous.ends_with('\\') && !self.starts_with('\\')) break;
    start = std::max(before, floor);
  }
  return start;
}

std::optional<CallAtCaret> callAtCaret(std::string_view text, std::size_t caret) {
  CallReader reader;
  caret = std::min(caret, text.size());
  reader.read(text, caret);
  // A word being typed at the caret still stands at its argument's start.
  const WordAtCaret word = wordAtCaret(text, caret);
  for (auto it = reader.open.rbegin(); it != reader.open.rend(); ++it) {
    if (it->function.empty()) continue;  // parentheses that group
    CallAtCaret call;
    call.function = it->function;
    call.nameStart = it->nameStart;
    call.argument = it->argument;
    call.namedArgument = it->namedArgument;
    call.atArgumentStart =
        it == reader.open.rbegin() &&
        (it->atArgumentStart || (!word.word.empty() && reader.lastWasName &&
                                 reader.lastNameStart == word.start && reader.pendingNamed));
    return call;
  }
  return std::nullopt;
}

bool inStringOrComment(std::string_view text, std::size_t caret) {
  CallReader reader;
  reader.read(text, std::min(caret, text.size()));
  return reader.endsInStringOrComment;
}

WordAtCaret wordAtCaret(std::string_view text, std::size_t caret) {
  caret = std::min(caret, text.size());
  std::size_t start = caret;
  while (start > 0 && nameChar(text[start - 1]))
    --start;
  // A name starts with a letter: "3x" is no name being typed.
  while (start < caret && !nameStart(text[start]))
    ++start;
  WordAtCaret word;
  word.start = start;
  word.word = text.substr(start, caret - start);
  std::size_t before = start;
  while (before > 0 && (text[before - 1] == ' ' || text[before - 1] == '\t'))
    --before;
  word.afterDot = before > 0 && text[before - 1] == '.';
  word.afterAngle = start > 0 && text[start - 1] == '<';
  return word;
}

DefinedNames definedNames(std::string_view text) {
  DefinedNames names;
  Lexer lexer(text);
  Token token;
  // What came before on this statement: nothing, "function", "global".
  enum class Before { LineStart, Function, Global, Other } before = Before::LineStart;
  std::size_t pendingStart = 0, pendingEnd = 0;
  bool pendingVariable = false;
  int depth = 0;  // braces: a function's body is no top level
  auto addVariable = [&](std::string_view name) {
    if (names.variables.insert(lowerName(name)).second) names.variableNames.emplace_back(name);
  };
  while (lexer.next(token)) {
    const std::string_view piece = text.substr(token.start, token.end - token.start);
    if (token.kind == TokenKind::Comment) continue;
    if (token.kind == TokenKind::LineEnd) {
      before = Before::LineStart;
      pendingVariable = false;
      continue;
    }
    if (token.kind == TokenKind::Name) {
      const std::string lower = lowerName(piece);
      if (before == Before::Function) {
        if (names.functions.insert(lower).second) names.functionNames.emplace_back(piece);
        before = Before::Other;
      } else if (lower == "function") {
        before = Before::Function;
      } else if (lower == "global" && before == Before::LineStart) {
        before = Before::Global;
      } else if (before == Before::Global || (before == Before::LineStart && depth == 0)) {
        pendingVariable = true;
        pendingStart = token.start;
        pendingEnd = token.end;
        before = Before::Other;
      } else {
        before = Before::Other;
        pendingVariable = false;
      }
      continue;
    }
    if (piece == "=" && pendingVariable) {
      const bool comparison = token.end < text.size() && text[token.end] == '=';
      if (!comparison) addVariable(text.substr(pendingStart, pendingEnd - pendingStart));
    }
    pendingVariable = false;
    if (piece == "{") {
      ++depth;
      before = Before::LineStart;
    } else if (piece == "}") {
      depth = std::max(0, depth - 1);
      before = Before::LineStart;
    } else {
      before = Before::Other;
    }
  }
  return names;
}

std::vector<Completion> completionsAt(std::string_view text, std::size_t caret,
                                      const FunctionIndex& index, const DefinedNames& own,
                                      bool explicitly) {
  std::vector<Completion> list;
  caret = std::min(caret, text.size());
  const WordAtCaret word = wordAtCaret(text, caret);
  if (word.start + word.word.size() != caret) return list;
  if (!explicitly && word.word.size() < 2 && !word.afterAngle) return list;
  if (inStringOrComment(text, word.start)) return list;
  const std::string prefix = lowerName(word.word);
  const auto matches = [&](std::string_view name) { return lowerName(name).starts_with(prefix); };

  if (word.afterAngle) {
    for (const char* token : {"P>", "F>"}) {
      if (matches(token)) list.push_back({Completion::Kind::Token, token, "template token"});
    }
    return list;
  }
  if (const std::optional<CallAtCaret> call = callAtCaret(text, caret);
      call && call->atArgumentStart && !word.afterDot) {
    std::unordered_set<std::string> seen;
    for (const AvsFunction* f : index.find(call->function)) {
      if (!f->params) continue;
      for (const AvsParam& p : *f->params) {
        if (p.name.empty() || !matches(p.name) || !seen.insert(lowerName(p.name)).second) continue;
        list.push_back({Completion::Kind::Parameter, p.name + "=", avsTypeName(p.type)});
      }
    }
  }
  for (const AvsFunction* f : index.withPrefix(prefix)) {
    list.push_back(
        {Completion::Kind::Function, f->name,
         f->source == kInternalSource ? std::string(kInternalSource) : fileNameOf(f->source)});
  }
  for (const std::string& name : own.functionNames) {
    if (matches(name)) list.push_back({Completion::Kind::OwnFunction, name, "template function"});
  }
  if (!word.afterDot) {
    for (const std::string& name : own.variableNames) {
      if (matches(name)) list.push_back({Completion::Kind::Variable, name, "template variable"});
    }
    if (explicitly && word.word.empty()) {
      list.push_back({Completion::Kind::Token, "<P>", "template token"});
      list.push_back({Completion::Kind::Token, "<F>", "template token"});
    }
  }
  return list;
}

std::optional<CallTip> callTipAt(std::string_view text, std::size_t caret,
                                 const FunctionIndex& index) {
  const std::optional<CallAtCaret> call = callAtCaret(text, caret);
  if (!call) return std::nullopt;
  const std::vector<const AvsFunction*> overloads = index.find(call->function);
  CallTip tip;
  tip.nameStart = call->nameStart;
  std::unordered_set<std::string> shown;
  for (const AvsFunction* f : overloads) {
    if (!f->params || !shown.insert(f->signature).second) continue;
    const std::vector<AvsParam>& params = *f->params;
    // The parameter at the caret: the one named, else by position, a
    // repeated one taking every argument from its place on.
    std::optional<std::size_t> current;
    if (!call->namedArgument.empty()) {
      const std::string named = lowerName(call->namedArgument);
      for (std::size_t i = 0; i < params.size(); ++i) {
        if (lowerName(params[i].name) == named) current = i;
      }
    } else {
      for (std::size_t i = 0; i < params.size() && i <= call->argument; ++i) {
        if (i == call->argument || params[i].repeated) current = i;
      }
    }
    if (!tip.text.empty()) tip.text += '\n';
    tip.text += f->name + "(";
    for (std::size_t i = 0; i < params.size(); ++i) {
      if (i > 0) tip.text += ", ";
      const std::size_t from = tip.text.size();
      tip.text += describeParams({params[i]});
      if (shown.size() == 1 && current == i) {
        tip.markStart = from;
        tip.markEnd = tip.text.size();
      }
    }
    tip.text += ")";
  }
  if (tip.text.empty()) return std::nullopt;
  return tip;
}

std::vector<NameMark> unknownNames(std::string_view text, const FunctionIndex& index,
                                   const DefinedNames& own, std::string_view installation) {
  std::vector<NameMark> marks;
  if (index.empty()) return marks;
  Lexer lexer(text);
  Token token;
  Token previous{TokenKind::LineEnd, 0, 0};
  Token beforePrevious{TokenKind::LineEnd, 0, 0};
  std::vector<Open> open;
  bool pendingName = false;
  std::size_t nameStart = 0, nameEnd = 0;
  auto piece = [&](const Token& t) { return text.substr(t.start, t.end - t.start); };
  while (lexer.next(token)) {
    if (token.kind == TokenKind::Comment) continue;
    const std::string_view p = piece(token);
    if (token.kind == TokenKind::Punct && p == "(" && previous.kind == TokenKind::Name) {
      const std::string_view name = piece(previous);
      const bool method = beforePrevious.kind == TokenKind::Punct && piece(beforePrevious) == ".";
      const bool definition =
          beforePrevious.kind == TokenKind::Name && lowerName(piece(beforePrevious)) == "function";
      const std::string lower = lowerName(name);
      Open o;
      o.function = std::string(name);
      o.method = method;
      if (!method && !definition && !isKeyword(lower) && !own.functions.contains(lower) &&
          index.find(name).empty()) {
        std::string message = std::string(installation) + " has no function " + o.function;
        if (const std::string near = index.nearest(name); !near.empty())
          message += "; did you mean " + near + "?";
        marks.push_back({previous.start, name.size(), std::move(message)});
      }
      if (definition) o.function.clear();  // its parameters are no named arguments
      open.push_back(std::move(o));
      pendingName = false;
    } else if (token.kind == TokenKind::Punct && p == "(") {
      open.push_back(Open{});
      pendingName = false;
    } else if (token.kind == TokenKind::Punct && p == ")") {
      if (!open.empty()) open.pop_back();
      pendingName = false;
    } else if (token.kind == TokenKind::Name && !open.empty() && open.back().atArgumentStart) {
      pendingName = true;
      nameStart = token.start;
      nameEnd = token.end;
      open.back().atArgumentStart = false;
    } else if (token.kind == TokenKind::Punct && p == "=" && pendingName &&
               previous.kind == TokenKind::Name &&
               !(token.end < text.size() && text[token.end] == '=') && !open.empty() &&
               !open.back().function.empty()) {
      // A named argument: the function must take it, in one of its overloads.
      const std::string_view name = text.substr(nameStart, nameEnd - nameStart);
      const std::string lower = lowerName(name);
      const std::vector<const AvsFunction*> overloads = index.find(open.back().function);
      bool known = overloads.empty();  // own or unknown functions: not ours to say
      std::vector<std::string_view> params;
      for (const AvsFunction* f : overloads) {
        if (!f->params) {
          known = true;
          break;
        }
        for (const AvsParam& param : *f->params) {
          params.push_back(param.name);
          if (lowerName(param.name) == lower) known = true;
        }
      }
      if (!known) {
        std::string message = overloads.front()->name + " has no parameter " + std::string(name);
        if (const std::string near = nearestOf(name, params); !near.empty())
          message += "; did you mean " + near + "?";
        marks.push_back({nameStart, name.size(), std::move(message)});
      }
      pendingName = false;
    } else if (token.kind == TokenKind::Punct && p == ",") {
      if (!open.empty()) open.back().atArgumentStart = true;
      pendingName = false;
    } else if (token.kind == TokenKind::LineEnd || (token.kind == TokenKind::Punct && p == "\\")) {
      // A line end keeps what is open only where "\" joins the lines.
    } else {
      if (!open.empty()) open.back().atArgumentStart = false;
      pendingName = false;
    }
    if (token.kind == TokenKind::LineEnd) {
      // AviSynth ends a statement at the line's end unless "\" joins it.
      const bool joined = previous.kind == TokenKind::Punct && piece(previous) == "\\";
      if (!joined && !open.empty()) {
        Lexer peek(text.substr(token.end));
        Token next;
        const bool continues = peek.next(next) && next.kind == TokenKind::Punct &&
                               text.substr(token.end + next.start, 1) == "\\";
        if (!continues) open.clear();
      }
      if (previous.kind == TokenKind::LineEnd) continue;
    }
    beforePrevious = previous;
    previous = token;
  }
  return marks;
}

}  // namespace clipquill
