#include "ProfileDocument.h"

#include "Cp932.h"

namespace sora {

namespace {

bool isBlankByte(char c) { return c == ' ' || c == '\t'; }

QByteArrayView trimmed(QByteArrayView v)
{
    qsizetype b = 0, e = v.size();
    while (b < e && isBlankByte(v[b]))
        ++b;
    while (e > b && isBlankByte(v[e - 1]))
        --e;
    return v.sliced(b, e - b);
}

bool isBlankLine(QByteArrayView v) { return trimmed(v).isEmpty(); }

// Position of the first `delim` that is not the trail byte of a two-byte character, or -1.
qsizetype findDelimiter(QByteArrayView v, char delim)
{
    for (qsizetype i = 0; i < v.size(); ++i) {
        const auto b = static_cast<unsigned char>(v[i]);
        if (cp932::isLeadByte(b)) {
            ++i; // the trail byte is never a delimiter
            continue;
        }
        if (v[i] == delim)
            return i;
    }
    return -1;
}

// True when the bytes end inside a two-byte character: a lead byte with no trail byte.
bool endsWithLoneLeadByte(QByteArrayView v)
{
    for (qsizetype i = 0; i < v.size(); ++i) {
        if (cp932::isLeadByte(static_cast<unsigned char>(v[i]))) {
            if (i + 1 >= v.size())
                return true;
            ++i;
        }
    }
    return false;
}

// Names compare without regard to the case of ASCII letters; two-byte characters compare exactly.
QByteArray folded(QByteArrayView name)
{
    QByteArray out(name.data(), name.size());
    for (qsizetype i = 0; i < out.size(); ++i) {
        const auto b = static_cast<unsigned char>(out[i]);
        if (cp932::isLeadByte(b)) {
            ++i;
            continue;
        }
        if (b >= 'A' && b <= 'Z')
            out[i] = static_cast<char>(b - 'A' + 'a');
    }
    return out;
}

enum class LineKind { Blank, Section, Comment, Key, Other };

LineKind classify(QByteArrayView line)
{
    const QByteArrayView t = trimmed(line);
    if (t.isEmpty())
        return LineKind::Blank;
    if (t[0] == '[')
        return LineKind::Section;
    if (t[0] == ';')
        return LineKind::Comment;
    return findDelimiter(t, '=') >= 0 ? LineKind::Key : LineKind::Other;
}

QByteArrayView sectionName(QByteArrayView line)
{
    const QByteArrayView t = trimmed(line).sliced(1); // after "["
    const qsizetype close = findDelimiter(t, ']');
    return trimmed(close >= 0 ? t.first(close) : t);
}

QByteArrayView keyName(QByteArrayView line)
{
    const QByteArrayView t = trimmed(line);
    return trimmed(t.first(findDelimiter(t, '=')));
}

bool hasLineBreak(QByteArrayView v) { return v.contains('\r') || v.contains('\n'); }

} // namespace

bool ProfileDocument::isStorableSection(QByteArrayView section)
{
    const QByteArrayView t = trimmed(section);
    return !t.isEmpty() && !hasLineBreak(section) && findDelimiter(section, ']') < 0 &&
           !endsWithLoneLeadByte(section);
}

bool ProfileDocument::isStorableKey(QByteArrayView key)
{
    const QByteArrayView t = trimmed(key);
    return !t.isEmpty() && t[0] != '[' && t[0] != ';' && !hasLineBreak(key) &&
           findDelimiter(key, '=') < 0 && !endsWithLoneLeadByte(key);
}

bool ProfileDocument::isStorableValue(QByteArrayView value) { return !hasLineBreak(value); }

ProfileDocument ProfileDocument::parse(const QByteArray& bytes)
{
    ProfileDocument doc;
    QByteArrayView rest(bytes);
    if (rest.startsWith("\xEF\xBB\xBF")) {
        doc.m_bom = bytes.first(3);
        rest = rest.sliced(3);
    }
    while (!rest.isEmpty()) {
        qsizetype end = 0;
        while (end < rest.size() && rest[end] != '\r' && rest[end] != '\n')
            ++end;
        Line line{rest.first(end).toByteArray(), Eol::None};
        qsizetype next = end;
        if (end < rest.size()) {
            if (rest[end] == '\r' && end + 1 < rest.size() && rest[end + 1] == '\n') {
                line.eol = Eol::CrLf;
                next = end + 2;
            } else {
                line.eol = rest[end] == '\r' ? Eol::Cr : Eol::Lf;
                next = end + 1;
            }
        }
        rest = rest.sliced(next);

        const LineKind kind = classify(line.text);
        if (kind == LineKind::Section) {
            const QByteArray name = folded(sectionName(line.text));
            if (!doc.m_sectionIndex.contains(name))
                doc.m_sectionIndex.insert(name, static_cast<qsizetype>(doc.m_sections.size()));
            doc.m_sections.push_back(Section{std::move(line), {}, {}});
        } else if (doc.m_sections.empty()) {
            doc.m_preamble.push_back(std::move(line));
        } else {
            Section& section = doc.m_sections.back();
            section.lines.push_back(std::move(line));
            if (kind == LineKind::Key)
                doc.indexKeyLine(section, static_cast<qsizetype>(section.lines.size()) - 1);
        }
    }
    return doc;
}

void ProfileDocument::indexKeyLine(Section& section, qsizetype index)
{
    const QByteArray name = folded(keyName(section.lines[static_cast<size_t>(index)].text));
    if (!section.keys.contains(name)) // the first key of a name wins
        section.keys.insert(name, index);
}

void ProfileDocument::appendEol(QByteArray& out, Eol eol)
{
    switch (eol) {
    case Eol::None: break;
    case Eol::Cr: out += '\r'; break;
    case Eol::Lf: out += '\n'; break;
    case Eol::CrLf: out += "\r\n"; break;
    }
}

QByteArray ProfileDocument::serialize() const
{
    QByteArray out = m_bom;
    auto put = [&out](const Line& l) {
        out += l.text;
        appendEol(out, l.eol);
    };
    for (const Line& l : m_preamble)
        put(l);
    for (const Section& s : m_sections) {
        put(s.header);
        for (const Line& l : s.lines)
            put(l);
    }
    return out;
}

std::optional<QByteArray> ProfileDocument::value(QByteArrayView section, QByteArrayView key) const
{
    const auto s = m_sectionIndex.constFind(folded(trimmed(section)));
    if (s == m_sectionIndex.cend())
        return std::nullopt;
    const Section& sec = m_sections[static_cast<size_t>(*s)];
    const auto k = sec.keys.constFind(folded(trimmed(key)));
    if (k == sec.keys.cend())
        return std::nullopt;

    const QByteArrayView line = trimmed(sec.lines[static_cast<size_t>(*k)].text);
    QByteArrayView v = trimmed(line.sliced(findDelimiter(line, '=') + 1));
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.sliced(1, v.size() - 2);
    if (v.size() > MaxValueBytes) {
        // Never split a two-byte character: stop before a lead byte whose trail would be cut off.
        qsizetype cut = 0;
        while (cut < MaxValueBytes) {
            const qsizetype step = cp932::isLeadByte(static_cast<unsigned char>(v[cut])) ? 2 : 1;
            if (cut + step > MaxValueBytes)
                break;
            cut += step;
        }
        v = v.first(cut);
    }
    return v.toByteArray();
}

ProfileDocument::Line* ProfileDocument::lastLine()
{
    for (auto s = m_sections.rbegin(); s != m_sections.rend(); ++s)
        return s->lines.empty() ? &s->header : &s->lines.back();
    return m_preamble.empty() ? nullptr : &m_preamble.back();
}

bool ProfileDocument::setValue(QByteArrayView section, QByteArrayView key, QByteArrayView value)
{
    if (!isStorableSection(section) || !isStorableKey(key) || !isStorableValue(value))
        return false;

    const QByteArray sectionFolded = folded(trimmed(section));
    const QByteArray keyFolded = folded(trimmed(key));
    const auto s = m_sectionIndex.constFind(sectionFolded);
    if (s == m_sectionIndex.cend()) {
        if (Line* last = lastLine(); last && last->eol == Eol::None)
            last->eol = Eol::CrLf;
        QByteArray header = "[" + section.toByteArray() + "]";
        m_sectionIndex.insert(sectionFolded, static_cast<qsizetype>(m_sections.size()));
        Section added{Line{std::move(header), Eol::CrLf}, {}, {}};
        added.lines.push_back(Line{key.toByteArray() + '=' + value.toByteArray(), Eol::CrLf});
        added.keys.insert(keyFolded, 0);
        m_sections.push_back(std::move(added));
        return true;
    }

    Section& sec = m_sections[static_cast<size_t>(*s)];
    if (const auto k = sec.keys.constFind(keyFolded); k != sec.keys.cend()) {
        Line& line = sec.lines[static_cast<size_t>(*k)];
        line.text = keyName(line.text).toByteArray() + '=' + value.toByteArray();
        line.eol = Eol::CrLf;
        return true;
    }

    // After the section's last non-blank line, so blank lines before the next section stay there.
    qsizetype at = static_cast<qsizetype>(sec.lines.size());
    while (at > 0 && isBlankLine(sec.lines[static_cast<size_t>(at - 1)].text))
        --at;
    Line& before = at > 0 ? sec.lines[static_cast<size_t>(at - 1)] : sec.header;
    if (before.eol == Eol::None)
        before.eol = Eol::CrLf;
    sec.lines.insert(sec.lines.begin() + at, Line{key.toByteArray() + '=' + value.toByteArray(), Eol::CrLf});
    sec.keys.insert(keyFolded, at);
    return true;
}

} // namespace sora
