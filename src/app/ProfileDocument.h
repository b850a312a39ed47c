#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>

#include <optional>
#include <vector>

namespace sora {

// A settings file held as raw byte lines, read and written the way the ANSI profile functions
// treat a code page 932 file. Every byte that a change does not touch survives it: unknown
// sections, comments, odd line ends and bytes that are not valid code page 932.
class ProfileDocument
{
public:
    // Longest value a read hands back, in bytes.
    static constexpr qsizetype MaxValueBytes = 255;

    ProfileDocument() = default;
    static ProfileDocument parse(const QByteArray& bytes);
    QByteArray serialize() const;

    // The value of the first key of that name in the first section of that name: trimmed, one
    // pair of enclosing quotes removed, cut to 255 bytes. Nothing when the section or key is
    // missing (an empty value is an empty array, not nothing).
    std::optional<QByteArray> value(QByteArrayView section, QByteArrayView key) const;

    // Replaces the key's line in place, or adds the key at the end of its section, or adds the
    // section at the end. False, with nothing changed, for names or values that one line of the
    // file cannot hold (line breaks, a "=" in a key, a "]" in a section name, ...).
    bool setValue(QByteArrayView section, QByteArrayView key, QByteArrayView value);

    static bool isStorableSection(QByteArrayView section);
    static bool isStorableKey(QByteArrayView key);
    static bool isStorableValue(QByteArrayView value);

private:
    enum class Eol : unsigned char { None, Cr, Lf, CrLf };
    struct Line
    {
        QByteArray text;
        Eol eol = Eol::None;
    };
    struct Section
    {
        Line header;
        std::vector<Line> lines;
        QHash<QByteArray, qsizetype> keys; // folded name -> first line that holds the key
    };

    static void appendEol(QByteArray& out, Eol eol);
    Line* lastLine();
    void indexKeyLine(Section& section, qsizetype index);

    QByteArray m_bom;
    std::vector<Line> m_preamble; // lines above the first section: never reachable
    std::vector<Section> m_sections;
    QHash<QByteArray, qsizetype> m_sectionIndex; // folded name -> first section of that name
};

} // namespace sora
