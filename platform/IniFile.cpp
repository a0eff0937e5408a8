#include "IniFile.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace davrix {

namespace {

std::string Trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) return std::string();
    size_t e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

bool EqualNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = (unsigned char)a[i], y = (unsigned char)b[i];
        if (x >= 'A' && x <= 'Z') x = (unsigned char)(x + 32);
        if (y >= 'A' && y <= 'Z') y = (unsigned char)(y + 32);
        if (x != y) return false;
    }
    return true;
}

// The section name of a header line "[name]", or false when the line is no header.
bool ParseHeader(const std::string& line, std::string& name) {
    std::string t = Trim(line);
    if (t.size() < 2 || t[0] != '[') return false;
    size_t close = t.find(']');
    if (close == std::string::npos) return false;
    name = t.substr(1, close - 1);
    return true;
}

// Key and value of an entry line "key = value"; false for blanks, comments and other lines.
bool ParseEntry(const std::string& line, std::string& key, std::string& value) {
    std::string t = Trim(line);
    if (t.empty() || t[0] == ';' || t[0] == '#') return false;
    size_t eq = t.find('=');
    if (eq == std::string::npos) return false;
    key = Trim(t.substr(0, eq));
    value = Trim(t.substr(eq + 1));
    return true;
}

bool Fail(std::string* pError, const std::string& what, const std::string& path, int err) {
    if (pError) *pError = what + " " + path + ": " + strerror(err);
    return false;
}

}  // namespace

bool IniFile::Load(const std::string& path, std::string* pError) {
    m_preamble.clear();
    m_sections.clear();
    FILE* f = fopen(path.c_str(), "rb");
    if (!f) {
        if (errno == ENOENT) return true;
        return Fail(pError, "cannot read", path, errno);
    }
    std::string text;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
    bool failed = ferror(f) != 0;
    fclose(f);
    if (failed) return Fail(pError, "cannot read", path, EIO);

    std::string name;
    for (size_t pos = 0; pos < text.size();) {
        size_t eol = text.find('\n', pos);
        if (eol == std::string::npos) eol = text.size();
        std::string line = text.substr(pos, eol - pos);
        pos = eol + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (ParseHeader(line, name))
            m_sections.push_back(Section{name, {}});
        else if (m_sections.empty())
            m_preamble.push_back(line);
        else
            m_sections.back().lines.push_back(line);
    }
    return true;
}

bool IniFile::Save(const std::string& path, std::string* pError) const {
    std::string text;
    for (const std::string& l : m_preamble) text += l + "\n";
    for (const Section& s : m_sections) {
        text += "[" + s.name + "]\n";
        for (const std::string& l : s.lines) text += l + "\n";
    }

    mode_t mode = 0644;
    struct stat st;
    if (stat(path.c_str(), &st) == 0) mode = st.st_mode & 07777;

    std::string tmp = path + ".XXXXXX";
    int fd = mkstemp(&tmp[0]);
    if (fd < 0) return Fail(pError, "cannot create a temporary file for", path, errno);
    size_t done = 0;
    while (done < text.size()) {
        ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            int err = n < 0 ? errno : ENOSPC;
            close(fd);
            unlink(tmp.c_str());
            return Fail(pError, "cannot write", tmp, err);
        }
        done += (size_t)n;
    }
    if (fchmod(fd, mode) != 0 || fsync(fd) != 0) {
        int err = errno;
        close(fd);
        unlink(tmp.c_str());
        return Fail(pError, "cannot write", tmp, err);
    }
    if (close(fd) != 0) {
        int err = errno;
        unlink(tmp.c_str());
        return Fail(pError, "cannot write", tmp, err);
    }
    if (rename(tmp.c_str(), path.c_str()) != 0) {
        int err = errno;
        unlink(tmp.c_str());
        return Fail(pError, "cannot replace", path, err);
    }
    return true;
}

IniFile::Section* IniFile::Find(const std::string& section) {
    for (Section& s : m_sections)
        if (EqualNoCase(s.name, section)) return &s;
    return nullptr;
}

const IniFile::Section* IniFile::Find(const std::string& section) const {
    for (const Section& s : m_sections)
        if (EqualNoCase(s.name, section)) return &s;
    return nullptr;
}

// A new section at the end, set off from the one before by a blank line.
IniFile::Section& IniFile::Add(const std::string& section) {
    std::vector<std::string>& before = m_sections.empty() ? m_preamble : m_sections.back().lines;
    if (!before.empty() && !Trim(before.back()).empty()) before.push_back("");
    m_sections.push_back(Section{section, {}});
    return m_sections.back();
}

bool IniFile::HasSection(const std::string& section) const { return Find(section) != nullptr; }

std::string IniFile::Get(const std::string& section, const std::string& key) const {
    const Section* s = Find(section);
    if (!s) return std::string();
    std::string k, v;
    for (const std::string& l : s->lines)
        if (ParseEntry(l, k, v) && EqualNoCase(k, key)) return v;
    return std::string();
}

void IniFile::Set(const std::string& section, const std::string& key, const std::string& value) {
    Section* s = Find(section);
    if (!s) s = &Add(section);
    std::string k, v;
    size_t lastEntry = std::string::npos;
    for (size_t i = 0; i < s->lines.size(); ++i) {
        if (!ParseEntry(s->lines[i], k, v)) continue;
        if (EqualNoCase(k, key)) {
            s->lines[i] = key + "=" + value;
            return;
        }
        lastEntry = i;
    }
    size_t at = lastEntry == std::string::npos ? 0 : lastEntry + 1;
    s->lines.insert(s->lines.begin() + (long)at, key + "=" + value);
}

void IniFile::ReplaceSection(const std::string& section, const Entries& entries) {
    Section* s = Find(section);
    if (!s) s = &Add(section);
    s->name = section;  // the whole section is new, so is the spelling of its name
    s->lines.clear();
    for (const auto& e : entries) s->lines.push_back(e.first + "=" + e.second);
    s->lines.push_back("");
    // A later section of the same name would otherwise keep stale settings around.
    size_t keep = (size_t)(s - m_sections.data());
    for (size_t i = m_sections.size(); i-- > keep + 1;)
        if (EqualNoCase(m_sections[i].name, section)) m_sections.erase(m_sections.begin() + (long)i);
}

// Removes every section of that name.
bool IniFile::RemoveSection(const std::string& section) {
    size_t before = m_sections.size();
    for (size_t i = m_sections.size(); i-- > 0;)
        if (EqualNoCase(m_sections[i].name, section)) m_sections.erase(m_sections.begin() + (long)i);
    return m_sections.size() != before;
}

bool IniFile::IsSafeValue(const std::string& text) { return text.find_first_of("\r\n") == std::string::npos; }

bool IniFile::IsSafeName(const std::string& text) {
    return !text.empty() && Trim(text) == text && IsSafeValue(text) && text.find(']') == std::string::npos &&
           text[0] != '[';
}

bool IniFile::IsSafeKey(const std::string& text) {
    return IsSafeName(text) && text.find('=') == std::string::npos && text[0] != ';' && text[0] != '#';
}

}  // namespace davrix
