#include "patterncheck_p.h"

#include <QChar>
#include <QHash>
#include <QPair>
#include <QVector>

#include <algorithm>
#include <vector>

namespace pelmak {
namespace {

constexpr uint LastCodePoint = 0x10FFFF;
// Deeper groups are left to the parser: no schema nests them so.
constexpr int MaxGroupDepth = 100;

// Characters as sorted, disjoint, non-adjacent ranges of code points.
using CharSet = QVector<QPair<uint, uint>>;

CharSet normalized(CharSet ranges)
{
    std::sort(ranges.begin(), ranges.end());
    CharSet merged;
    for (const auto &range : ranges) {
        if (!merged.isEmpty() && range.first <= merged.last().second + 1)
            merged.last().second = std::max(merged.last().second, range.second);
        else
            merged.append(range);
    }
    return merged;
}

CharSet complement(const CharSet &set)
{
    CharSet result;
    uint next = 0;
    for (const auto &range : set) {
        if (range.first > next)
            result.append({next, range.first - 1});
        next = range.second + 1;
    }
    if (next <= LastCodePoint)
        result.append({next, LastCodePoint});
    return result;
}

CharSet united(const CharSet &a, const CharSet &b)
{
    return normalized(a + b);
}

// Both normalized: one walk along the two.
CharSet intersected(const CharSet &a, const CharSet &b)
{
    CharSet common;
    for (int i = 0, j = 0; i < a.size() && j < b.size();) {
        const uint low = std::max(a[i].first, b[j].first);
        const uint high = std::min(a[i].second, b[j].second);
        if (low <= high)
            common.append({low, high});
        if (a[i].second < b[j].second)
            ++i;
        else
            ++j;
    }
    return common;
}

bool overlap(const CharSet &a, const CharSet &b)
{
    for (int i = 0, j = 0; i < a.size() && j < b.size();) {
        if (a[i].second < b[j].first)
            ++i;
        else if (b[j].second < a[i].first)
            ++j;
        else
            return true;
    }
    return false;
}

CharSet single(uint c)
{
    return {{c, c}};
}

// The characters of one Unicode general category, or of all those whose code starts with its letter.
CharSet category(const QString &name)
{
    struct Code
    {
        const char *name;
        QChar::Category category;
    };
    static const Code codes[] = {{"Lu", QChar::Letter_Uppercase}, {"Ll", QChar::Letter_Lowercase},
        {"Lt", QChar::Letter_Titlecase}, {"Lm", QChar::Letter_Modifier}, {"Lo", QChar::Letter_Other},
        {"Mn", QChar::Mark_NonSpacing}, {"Mc", QChar::Mark_SpacingCombining}, {"Me", QChar::Mark_Enclosing},
        {"Nd", QChar::Number_DecimalDigit}, {"Nl", QChar::Number_Letter}, {"No", QChar::Number_Other},
        {"Pc", QChar::Punctuation_Connector}, {"Pd", QChar::Punctuation_Dash}, {"Ps", QChar::Punctuation_Open},
        {"Pe", QChar::Punctuation_Close}, {"Pi", QChar::Punctuation_InitialQuote},
        {"Pf", QChar::Punctuation_FinalQuote}, {"Po", QChar::Punctuation_Other}, {"Zs", QChar::Separator_Space},
        {"Zl", QChar::Separator_Line}, {"Zp", QChar::Separator_Paragraph}, {"Sm", QChar::Symbol_Math},
        {"Sc", QChar::Symbol_Currency}, {"Sk", QChar::Symbol_Modifier}, {"So", QChar::Symbol_Other},
        {"Cc", QChar::Other_Control}, {"Cf", QChar::Other_Format}, {"Co", QChar::Other_PrivateUse},
        {"Cn", QChar::Other_NotAssigned}, {"Cs", QChar::Other_Surrogate}};
    // Each checker's thread has its own: checkers may load schemas on several threads at once.
    thread_local QHash<QString, CharSet> known;
    const auto found = known.constFind(name);
    if (found != known.cend())
        return *found;
    QVector<QChar::Category> wanted;
    for (const Code &code : codes) {
        const QLatin1String codeName(code.name);
        if (name == codeName || (name.size() == 1 && name.at(0) == codeName.at(0)))
            wanted.append(code.category);
    }
    if (wanted.isEmpty()) // a block (IsBasicLatin...): any character, as far as this check can tell
        return {{0, LastCodePoint}};
    CharSet set;
    for (uint c = 0; c <= LastCodePoint; ++c) {
        if (!wanted.contains(QChar::category(c)))
            continue;
        if (!set.isEmpty() && set.last().second + 1 == c)
            set.last().second = c;
        else
            set.append({c, c});
    }
    return *known.insert(name, set);
}

CharSet categories(std::initializer_list<const char *> names)
{
    CharSet set;
    for (const char *name : names)
        set = united(set, category(QLatin1String(name)));
    return set;
}

// One repeated or single part of a branch: a character set or a group.
struct Piece
{
    CharSet characters;
    std::vector<std::vector<Piece>> branches; // a group's; none for a character set
    bool group = false;
    int min = 1;
    int max = 1; // -1 for no bound

    bool repeats() const { return max < 0 || max > 1; }
    // Whether it may take more or fewer rounds, which gives a text more than one way through.
    bool varies() const { return max < 0 || max > min; }
};
using Branch = std::vector<Piece>;
using Branches = std::vector<Branch>;

// XML Schema's regular expressions (XML Schema part 2, appendix F); throws Malformed where they end early or wrong.
class PatternParser
{
public:
    struct Malformed
    {
    };

    explicit PatternParser(const QString &pattern)
        : text(pattern)
    {
    }

    Branches parse()
    {
        Branches branches = alternatives(0);
        if (at < text.size())
            throw Malformed{};
        return branches;
    }

private:
    QChar peek() const { return at < text.size() ? text.at(at) : QChar(); }
    QChar take()
    {
        if (at >= text.size())
            throw Malformed{};
        return text.at(at++);
    }

    Branches alternatives(int depth)
    {
        if (depth > MaxGroupDepth)
            throw Malformed{};
        Branches branches(1);
        while (at < text.size() && peek() != QLatin1Char(')')) {
            if (peek() == QLatin1Char('|')) {
                ++at;
                branches.emplace_back();
                continue;
            }
            branches.back().push_back(piece(depth));
        }
        return branches;
    }

    Piece piece(int depth)
    {
        Piece piece;
        const QChar c = take();
        if (c == QLatin1Char('(')) {
            piece.group = true;
            piece.branches = alternatives(depth + 1);
            if (take() != QLatin1Char(')'))
                throw Malformed{};
        } else if (c == QLatin1Char('[')) {
            piece.characters = characterClass();
        } else if (c == QLatin1Char('\\')) {
            piece.characters = escape();
        } else if (c == QLatin1Char('.')) {
            piece.characters = complement({{'\n', '\n'}, {'\r', '\r'}});
        } else if (QStringLiteral("?*+{}|)]").contains(c)) {
            throw Malformed{};
        } else {
            piece.characters = single(c.unicode());
        }
        quantifier(piece);
        return piece;
    }

    void quantifier(Piece &piece)
    {
        const QChar c = peek();
        if (c == QLatin1Char('?') || c == QLatin1Char('*') || c == QLatin1Char('+')) {
            ++at;
            piece.min = c == QLatin1Char('+') ? 1 : 0;
            piece.max = c == QLatin1Char('?') ? 1 : -1;
        } else if (c == QLatin1Char('{')) {
            ++at;
            piece.min = number();
            piece.max = piece.min;
            if (peek() == QLatin1Char(',')) {
                ++at;
                piece.max = peek() == QLatin1Char('}') ? -1 : number();
            }
            if (take() != QLatin1Char('}'))
                throw Malformed{};
        }
    }

    int number()
    {
        const int start = at;
        while (peek().isDigit() && peek().unicode() < 128)
            ++at;
        bool ok = false;
        const int value = text.mid(start, at - start).toInt(&ok);
        if (!ok)
            throw Malformed{};
        return value;
    }

    CharSet escape()
    {
        const QChar c = take();
        switch (c.unicode()) {
        case 'n':
            return single('\n');
        case 'r':
            return single('\r');
        case 't':
            return single('\t');
        case 'd':
            return category(QStringLiteral("Nd"));
        case 'D':
            return complement(category(QStringLiteral("Nd")));
        case 's':
            return normalized({{' ', ' '}, {'\t', '\t'}, {'\n', '\n'}, {'\r', '\r'}});
        case 'S':
            return complement(normalized({{' ', ' '}, {'\t', '\t'}, {'\n', '\n'}, {'\r', '\r'}}));
        case 'w':
            return complement(categories({"P", "Z", "C"}));
        case 'W':
            return categories({"P", "Z", "C"});
        case 'i':
            return united(category(QStringLiteral("L")), normalized({{'_', '_'}, {':', ':'}}));
        case 'I':
            return complement(united(category(QStringLiteral("L")), normalized({{'_', '_'}, {':', ':'}})));
        case 'c':
            return nameCharacters();
        case 'C':
            return complement(nameCharacters());
        case 'p':
        case 'P': {
            if (take() != QLatin1Char('{'))
                throw Malformed{};
            const int end = text.indexOf(QLatin1Char('}'), at);
            if (end < 0)
                throw Malformed{};
            const CharSet set = category(text.mid(at, end - at));
            at = end + 1;
            return c == QLatin1Char('p') ? set : complement(set);
        }
        default:
            return single(c.unicode()); // \\ \| \. \- \^ \? \* \+ \{ \} \( \) \[ \]
        }
    }

    static CharSet nameCharacters()
    {
        return united(categories({"L", "Nd", "M"}), normalized({{'.', '.'}, {'-', '-'}, {'_', '_'}, {':', ':'}}));
    }

    // After "[": items, ranges, a leading "^", a subtraction "-[...]", up to "]".
    CharSet characterClass()
    {
        const bool negated = peek() == QLatin1Char('^');
        if (negated)
            ++at;
        CharSet set;
        CharSet subtracted;
        bool first = true;
        while (true) {
            const QChar c = take();
            if (c == QLatin1Char(']') && !first)
                break;
            first = false;
            if (c == QLatin1Char('-') && peek() == QLatin1Char('[')) {
                ++at;
                subtracted = characterClass();
                if (take() != QLatin1Char(']'))
                    throw Malformed{};
                break;
            }
            CharSet item;
            uint low = c.unicode();
            if (c == QLatin1Char('\\')) {
                item = escape();
                if (item.size() != 1 || item[0].first != item[0].second) {
                    set += item;
                    continue;
                }
                low = item[0].first;
            }
            if (peek() == QLatin1Char('-') && at + 1 < text.size() && text.at(at + 1) != QLatin1Char('[')
                && text.at(at + 1) != QLatin1Char(']')) {
                ++at;
                QChar end = take();
                uint high = end.unicode();
                if (end == QLatin1Char('\\')) {
                    const CharSet escaped = escape();
                    if (escaped.size() != 1 || escaped[0].first != escaped[0].second)
                        throw Malformed{};
                    high = escaped[0].first;
                }
                if (high < low)
                    throw Malformed{};
                set.append({low, high});
            } else {
                set.append({low, low});
            }
        }
        set = normalized(set);
        if (negated)
            set = complement(set);
        return subtracted.isEmpty() ? set : intersected(set, complement(subtracted));
    }

    const QString &text;
    int at = 0;
};

bool nullable(const Piece &piece);

bool nullable(const Branch &branch)
{
    return std::all_of(branch.begin(), branch.end(), [](const Piece &piece) { return nullable(piece); });
}

bool nullable(const Piece &piece)
{
    if (piece.min == 0 || piece.max == 0)
        return true;
    return piece.group
        && std::any_of(piece.branches.begin(), piece.branches.end(), [](const Branch &b) { return nullable(b); });
}

CharSet first(const Piece &piece);

CharSet first(const Branch &branch)
{
    CharSet set;
    for (const Piece &piece : branch) {
        set += first(piece);
        if (!nullable(piece))
            break;
    }
    return normalized(set);
}

CharSet first(const Piece &piece)
{
    if (piece.max == 0)
        return {};
    if (!piece.group)
        return piece.characters;
    CharSet set;
    for (const Branch &branch : piece.branches)
        set += first(branch);
    return normalized(set);
}

// The characters with which a repetition at the very end of the branches may go on.
void addTailRepetitions(const Branches &branches, QVector<CharSet> &found)
{
    for (const Branch &branch : branches) {
        for (auto piece = branch.rbegin(); piece != branch.rend(); ++piece) {
            if (piece->varies() && piece->repeats())
                found.append(first(*piece));
            if (piece->group)
                addTailRepetitions(piece->branches, found);
            if (!nullable(*piece))
                break;
        }
    }
}

// Whether the rounds of the group can match a text in more than one way.
bool isAmbiguous(const Piece &group)
{
    // A counted number of rounds that may each take nothing: which of them take the text is open.
    // (Unbounded, the engine stops at the first empty round.)
    const bool mayBeEmpty =
        std::any_of(group.branches.begin(), group.branches.end(), [](const Branch &b) { return nullable(b); });
    if (mayBeEmpty && group.max > 1 && !first(group).isEmpty())
        return true;
    CharSet starts;
    for (const Branch &branch : group.branches)
        starts += first(branch);
    // The ranges of one branch are disjoint: two that overlap belong to two alternatives.
    std::sort(starts.begin(), starts.end());
    uint reached = 0;
    for (int i = 0; i < starts.size(); ++i) {
        if (i > 0 && starts[i].first <= reached)
            return true;
        reached = std::max(reached, starts[i].second);
    }
    QVector<CharSet> tails;
    addTailRepetitions(group.branches, tails);
    const CharSet groupStarts = first(group);
    return std::any_of(tails.begin(), tails.end(), [&](const CharSet &tail) { return overlap(tail, groupStarts); });
}

// @p restNullable: whether all that follows the branches in the pattern may match nothing.
bool hasExponentialGroup(const Branches &branches, bool restNullable)
{
    for (const Branch &branch : branches) {
        // Whether the pieces from each one on may match nothing, computed once from the end.
        std::vector<bool> nullableFrom(branch.size() + 1, true);
        for (std::size_t i = branch.size(); i-- > 0;)
            nullableFrom[i] = nullableFrom[i + 1] && nullable(branch[i]);
        for (std::size_t i = 0; i < branch.size(); ++i) {
            const Piece &piece = branch[i];
            if (!piece.group)
                continue;
            const bool followedByNothing = restNullable && nullableFrom[i + 1];
            if (piece.repeats() && !followedByNothing && isAmbiguous(piece))
                return true;
            if (hasExponentialGroup(piece.branches, followedByNothing))
                return true;
        }
    }
    return false;
}

} // namespace

bool canBacktrackExponentially(const QString &pattern)
{
    try {
        return hasExponentialGroup(PatternParser(pattern).parse(), true);
    } catch (const PatternParser::Malformed &) {
        return false;
    }
}

} // namespace pelmak
