// IniFile: an INI file held as its lines, so that an edit rewrites only the sections it
// touches and keeps comments, order and unknown sections as they were. Section and key
// names are looked up without regard to case (as unixODBC does) and written as given.
// Internal to the stand-in.
#ifndef DAVRIXFW_INIFILE_H
#define DAVRIXFW_INIFILE_H

#include <string>
#include <utility>
#include <vector>

namespace davrix {

class IniFile {
public:
    typedef std::vector<std::pair<std::string, std::string>> Entries;

    // Reads the file; a missing file counts as empty. False with a reason when it cannot be read.
    bool Load(const std::string& path, std::string* pError = nullptr);
    // Writes a temporary file beside path and renames it over path, so readers see the old or
    // the new file whole. An existing file keeps its permissions; a new one gets 0644.
    bool Save(const std::string& path, std::string* pError = nullptr) const;

    bool HasSection(const std::string& section) const;
    // The value of key in section with surrounding blanks removed, or "" when absent.
    std::string Get(const std::string& section, const std::string& key) const;
    // Sets one key, adding the section (at the end) or the key (after the section's last entry).
    void Set(const std::string& section, const std::string& key, const std::string& value);
    // Replaces the section (name spelling and body) with the entries in order, where it
    // stood, and drops later sections of the same name; a new section goes to the end.
    void ReplaceSection(const std::string& section, const Entries& entries);
    // Removes every section of that name; false when there was none.
    bool RemoveSection(const std::string& section);

    // True when text can be written as a name or value without breaking the file's lines
    // (no line breaks; names are not empty, have no surrounding blanks, no ']' and no
    // leading '['; keys also no '=' and no leading comment mark).
    static bool IsSafeValue(const std::string& text);
    static bool IsSafeName(const std::string& text);
    static bool IsSafeKey(const std::string& text);

private:
    struct Section {
        std::string name;                // as written between the brackets
        std::vector<std::string> lines;  // the body, raw, without the header line
    };
    Section* Find(const std::string& section);
    const Section* Find(const std::string& section) const;
    Section& Add(const std::string& section);

    std::vector<std::string> m_preamble;  // lines before the first section
    std::vector<Section> m_sections;
};

}  // namespace davrix

#endif
