#include <array>
#include <cstddef>
#include <optional>
#include <vector>

#include "data/ColumnInfo.h"
#include "data/Dao.h"
#include "data/SqlTranslator.h"
#include "text/CaseFold.h"
#include "text/OleDate.h"
#include "text/TextHelpers.h"

namespace stripstock::dao {

namespace {

enum class TokKind { Word, Number, Quoted, Bracketed, Date, Star, Punct };

struct Token {
    TokKind kind;
    std::size_t begin;  // offsets into the Jet text
    std::size_t end;
    int depth;           // parenthesis depth before the token
    std::string upper;   // words only
    std::size_t outPos;  // where the token's translation starts in the output
};

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsWordChar(char c) {
    const auto u = static_cast<unsigned char>(c);
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || IsDigit(c) || c == '_' || u >= 0x80;
}

bool IsClauseWord(const std::string& w) {
    static constexpr std::array<std::string_view, 12> kWords = {
        "SELECT", "WHERE", "AND",  "OR",     "ON",    "HAVING",
        "SET",    "BY",    "FROM", "VALUES", "ORDER", "GROUP"};
    for (auto k : kWords) {
        if (w == k) return true;
    }
    return false;
}

// The expression around token `at`, as Jet names it in a syntax error: from the clause
// keyword before it to the next clause keyword after it.
std::string ExpressionAround(std::string_view text, const std::vector<Token>& toks,
                             std::size_t at) {
    if (toks.empty()) return std::string(text);
    if (at >= toks.size()) at = toks.size() - 1;
    const int depth = toks[at].depth;
    std::size_t first = at;
    while (first > 0) {
        const Token& t = toks[first - 1];
        if (t.kind == TokKind::Word && IsClauseWord(t.upper) && t.depth <= depth) break;
        if (t.kind == TokKind::Punct && text[t.begin] == ',' && t.depth < depth) break;
        --first;
    }
    std::size_t last = at;
    while (last + 1 < toks.size()) {
        const Token& t = toks[last + 1];
        if (t.kind == TokKind::Word && IsClauseWord(t.upper) && t.upper != "BY" &&
            t.depth <= toks[first].depth)
            break;
        if (t.kind == TokKind::Punct && (text[t.begin] == ',' || text[t.begin] == ';') &&
            t.depth <= toks[first].depth)
            break;
        ++last;
    }
    return std::string(text.substr(toks[first].begin, toks[last].end - toks[first].begin));
}

[[noreturn]] void ThrowSyntax(std::string_view text, const std::vector<Token>& toks,
                              std::size_t at) {
    throw JetError(kErrSyntax, SyntaxErrorText(ExpressionAround(text, toks, at)));
}

[[noreturn]] void ThrowDateSyntax(std::string_view text, const std::vector<Token>& toks,
                                  std::size_t at) {
    throw JetError(kErrSyntax, "Syntax error in date in query expression '" +
                                   ExpressionAround(text, toks, at) + "'.");
}

// Digits only, 1..maxLen of them.
std::optional<int> ParseDigits(std::string_view s, std::size_t maxLen) {
    if (s.empty() || s.size() > maxLen) return std::nullopt;
    int v = 0;
    for (char c : s) {
        if (!IsDigit(c)) return std::nullopt;
        v = v * 10 + (c - '0');
    }
    return v;
}

std::vector<std::string_view> Split(std::string_view s, char sep) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= s.size(); ++i) {
        if (i == s.size() || s[i] == sep) {
            parts.push_back(s.substr(start, i - start));
            start = i + 1;
        }
    }
    return parts;
}

// h:mm or h:mm:ss -> seconds of the day.
std::optional<int> ParseTime(std::string_view s) {
    const auto parts = Split(s, ':');
    if (parts.size() < 2 || parts.size() > 3) return std::nullopt;
    const auto h = ParseDigits(parts[0], 2);
    const auto m = ParseDigits(parts[1], 2);
    const auto sec = parts.size() == 3 ? ParseDigits(parts[2], 2) : std::optional<int>(0);
    if (!h || !m || !sec || *h > 23 || *m > 59 || *sec > 59) return std::nullopt;
    return *h * 3600 + *m * 60 + *sec;
}

// The inside of a #...# literal: m/d/yyyy or yyyy-mm-dd, each optionally followed by a blank
// and h:mm[:ss], or a time alone. Jet reads the date in US order whatever the locale.
std::optional<double> ParseDateLiteral(std::string_view s) {
    while (!s.empty() && IsSpace(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsSpace(s.back())) s.remove_suffix(1);
    if (s.empty()) return std::nullopt;

    std::string_view datePart = s;
    std::string_view timePart;
    const auto blank = s.find(' ');
    if (blank != std::string_view::npos) {
        datePart = s.substr(0, blank);
        timePart = s.substr(blank + 1);
        while (!timePart.empty() && timePart.front() == ' ') timePart.remove_prefix(1);
        if (timePart.empty()) return std::nullopt;
    } else if (s.find(':') != std::string_view::npos) {
        datePart = {};
        timePart = s;
    }

    CivilDateTime dt;  // 30.12.1899 when there is only a time
    if (!datePart.empty()) {
        std::optional<int> y, m, d;
        if (const auto slash = Split(datePart, '/'); slash.size() == 3) {
            m = ParseDigits(slash[0], 2);
            d = ParseDigits(slash[1], 2);
            y = ParseDigits(slash[2], 4);
            if (y && slash[2].size() <= 2) *y += *y < 30 ? 2000 : 1900;
        } else if (const auto dash = Split(datePart, '-');
                   dash.size() == 3 && dash[0].size() == 4) {
            y = ParseDigits(dash[0], 4);
            m = ParseDigits(dash[1], 2);
            d = ParseDigits(dash[2], 2);
        }
        if (!y || !m || !d || *y < 100 || !IsValidDate(*y, *m, *d)) return std::nullopt;
        dt.year = *y;
        dt.month = *m;
        dt.day = *d;
    }
    if (!timePart.empty()) {
        const auto secs = ParseTime(timePart);
        if (!secs) return std::nullopt;
        dt.hour = *secs / 3600;
        dt.minute = *secs / 60 % 60;
        dt.second = *secs % 60;
    }
    return ToOleDate(dt);
}

bool IsAllowedVerb(const std::string& w) {
    return w == "SELECT" || w == "DELETE" || w == "INSERT" || w == "UPDATE" || w == "CREATE" ||
           w == "DROP" || w == "ALTER";
}

bool IsWordTok(const Token& t, std::string_view w) {
    return t.kind == TokKind::Word && t.upper == w;
}
bool IsPunctTok(std::string_view text, const Token& t, char c) {
    return t.kind == TokKind::Punct && text[t.begin] == c;
}

}  // namespace

std::string SyntaxErrorText(std::string_view expression) {
    return "Syntax error in query expression '" + std::string(expression) + "'.";
}

TranslatedSql TranslateJetSql(std::string_view text) {
    TranslatedSql result;
    std::string& out = result.sql;
    out.reserve(text.size() + 16);
    std::vector<Token> toks;
    int depth = 0;
    std::size_t i = 0;
    const std::size_t n = text.size();

    // Errors inside an expression are raised once the whole text is read, so that the
    // message can name the complete expression.
    std::optional<std::size_t> deferredAt;
    bool deferredDate = false;
    auto defer = [&](std::size_t at, bool date) {
        if (!deferredAt) {
            deferredAt = at;
            deferredDate = date;
        }
    };

    // An error that stops the reading; an earlier expression error is the one reported.
    auto stop = [&](bool date) {
        if (deferredAt) {
            date = deferredDate;
        } else {
            deferredAt = toks.size() - 1;
        }
        if (date) ThrowDateSyntax(text, toks, *deferredAt);
        ThrowSyntax(text, toks, *deferredAt);
    };

    auto push = [&](TokKind kind, std::size_t b, std::size_t e) {
        Token t{kind, b, e, depth, {}, out.size()};
        if (kind == TokKind::Word) t.upper = UCase(std::string(text.substr(b, e - b)));
        toks.push_back(std::move(t));
    };

    // SQLite would stop reading at a NUL and run only the text before it.
    if (text.find('\0') != std::string_view::npos)
        throw JetError(kErrSyntax, SyntaxErrorText(text.substr(0, text.find('\0'))));

    while (i < n) {
        const char c = text[i];
        if (IsSpace(c)) {
            out += c;
            ++i;
            continue;
        }
        if (c == '\'' || c == '"') {
            // Jet reads both quotes as string delimiters; SQLite only the single quote.
            std::string content;
            std::size_t j = i + 1;
            bool closed = false;
            while (j < n) {
                if (text[j] == c) {
                    if (j + 1 < n && text[j + 1] == c) {
                        content += c;
                        j += 2;
                        continue;
                    }
                    closed = true;
                    break;
                }
                content += text[j++];
            }
            push(TokKind::Quoted, i, closed ? j + 1 : n);
            if (!closed) stop(false);
            out += '\'';
            for (char ch : content) {
                out += ch;
                if (ch == '\'') out += '\'';
            }
            out += '\'';
            i = j + 1;
            continue;
        }
        if (c == '[') {
            const auto close = text.find(']', i + 1);
            push(TokKind::Bracketed, i, close == std::string_view::npos ? n : close + 1);
            if (close == std::string_view::npos || close == i + 1) stop(false);
            out.append(text.substr(i, close + 1 - i));
            i = close + 1;
            continue;
        }
        if (c == '#') {
            const auto close = text.find('#', i + 1);
            push(TokKind::Date, i, close == std::string_view::npos ? n : close + 1);
            std::optional<double> value;
            if (close != std::string_view::npos)
                value = ParseDateLiteral(text.substr(i + 1, close - i - 1));
            if (!value) {
                if (close == std::string_view::npos) stop(true);
                defer(toks.size() - 1, true);
            } else {
                out += SqlLiteral(Value(*value));  // REAL, reads back exactly
            }
            i = close + 1;
            continue;
        }
        if (c == ';') {
            push(TokKind::Punct, i, i + 1);
            for (std::size_t j = i + 1; j < n; ++j) {
                if (!IsSpace(text[j]))
                    throw JetError(kErrCharactersAfterEnd,
                                   "Characters found after end of SQL statement.");
            }
            break;
        }
        if (c == '*') {
            push(TokKind::Star, i, i + 1);
            const std::size_t k = toks.size() - 1;
            const Token* prev = k >= 1 ? &toks[k - 1] : nullptr;
            const Token* prev2 = k >= 2 ? &toks[k - 2] : nullptr;
            if (prev && IsWordTok(*prev, "DELETE")) {
                // DELETE * FROM: SQLite knows only DELETE FROM.
                ++i;
                if (!out.empty() && IsSpace(out.back())) {
                    while (i < n && IsSpace(text[i])) ++i;
                } else {
                    out += ' ';
                }
                continue;
            }
            const bool selectStar =
                prev && (IsWordTok(*prev, "SELECT") || IsWordTok(*prev, "DISTINCT") ||
                         IsWordTok(*prev, "ALL"));
            const bool qualified = prev && IsPunctTok(text, *prev, '.');
            const bool countStar =
                prev && prev2 && IsPunctTok(text, *prev, '(') && IsWordTok(*prev2, "COUNT");
            if (!selectStar && !qualified && !countStar) defer(k, false);
            out += '*';
            ++i;
            continue;
        }
        if (c == '-' && i + 1 < n && text[i + 1] == '-') {
            // Jet has no comments; SQLite would silently drop the rest of the line.
            push(TokKind::Punct, i, i + 2);
            stop(false);
        }
        if (c == '`') {
            push(TokKind::Punct, i, i + 1);
            stop(false);
        }
        if (IsDigit(c) || (c == '.' && i + 1 < n && IsDigit(text[i + 1]))) {
            std::size_t j = i;
            while (j < n && (IsWordChar(text[j]) || text[j] == '.' ||
                             ((text[j] == '+' || text[j] == '-') &&
                              (text[j - 1] == 'e' || text[j - 1] == 'E'))))
                ++j;
            push(TokKind::Number, i, j);
            out.append(text.substr(i, j - i));
            i = j;
            continue;
        }
        if (IsWordChar(c)) {
            std::size_t j = i;
            while (j < n && IsWordChar(text[j])) ++j;
            push(TokKind::Word, i, j);
            out.append(text.substr(i, j - i));
            i = j;
            continue;
        }
        if (c == '(') {
            push(TokKind::Punct, i, i + 1);
            ++depth;
        } else if (c == ')') {
            if (depth == 0) {
                push(TokKind::Punct, i, i + 1);
                stop(false);
            }
            --depth;
            push(TokKind::Punct, i, i + 1);
        } else {
            push(TokKind::Punct, i, i + 1);
        }
        out += c;
        ++i;
    }

    if (deferredAt) {
        if (deferredDate) ThrowDateSyntax(text, toks, *deferredAt);
        ThrowSyntax(text, toks, *deferredAt);
    }
    if (toks.empty() || toks.front().kind != TokKind::Word || !IsAllowedVerb(toks.front().upper))
        throw JetError(kErrInvalidSqlStatement,
                       "Invalid SQL statement; expected 'DELETE', 'INSERT', 'PROCEDURE', "
                       "'SELECT', or 'UPDATE'.");
    if (depth != 0) ThrowSyntax(text, toks, toks.size() - 1);
    result.verb = toks.front().upper;

    // SELECT * FROM <table> [WHERE ...] [ORDER BY ...] can write its rows back.
    if (result.verb == "SELECT" && toks.size() >= 4 && toks[1].kind == TokKind::Star &&
        IsWordTok(toks[2], "FROM") &&
        (toks[3].kind == TokKind::Word || toks[3].kind == TokKind::Bracketed)) {
        bool single = true;
        std::size_t k = 4;
        if (k < toks.size() && !IsWordTok(toks[k], "WHERE") && !IsWordTok(toks[k], "ORDER") &&
            !IsPunctTok(text, toks[k], ';'))
            single = false;
        for (; single && k < toks.size(); ++k) {
            const Token& t = toks[k];
            if (t.depth != 0) continue;
            if (IsPunctTok(text, t, ',') || IsWordTok(t, "JOIN") || IsWordTok(t, "UNION") ||
                IsWordTok(t, "INTERSECT") || IsWordTok(t, "EXCEPT") || IsWordTok(t, "GROUP") ||
                IsWordTok(t, "HAVING"))
                single = false;
        }
        if (single) {
            const Token& name = toks[3];
            std::string_view raw = text.substr(name.begin, name.end - name.begin);
            if (name.kind == TokKind::Bracketed) raw = raw.substr(1, raw.size() - 2);
            result.table = std::string(raw);
            const std::size_t starPos = toks[1].outPos;
            result.sqlWithRowid = out.substr(0, starPos) + "_rowid_, " + out.substr(starPos);
        }
    }
    return result;
}

std::string TranslateSql(std::string_view jetSql) { return TranslateJetSql(jetSql).sql; }

}  // namespace stripstock::dao
