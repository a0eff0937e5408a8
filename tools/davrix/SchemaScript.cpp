#include "SchemaScript.h"

#include "GbkText.h"
#include "ToolError.h"

#include <climits>
#include <cstdlib>
#include <unistd.h>

namespace davrix {
namespace tool {

namespace {

bool Readable(const std::string& path) { return access(path.c_str(), R_OK) == 0; }

std::string ExecutableDir() {
    char buf[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return std::string();
    std::string path(buf, (size_t)n);
    return path.substr(0, path.rfind('/'));
}

}  // namespace

std::string SchemaScript::Locate(const std::string& schemaDirOption, const std::string& file) {
    std::vector<std::string> candidates;
    if (!schemaDirOption.empty()) {
        candidates.push_back(schemaDirOption);
    } else {
        const char* env = getenv("DAVRIX_SCHEMA_DIR");
        if (env && *env) candidates.push_back(env);
        std::string source = DAVRIX_SOURCE_SCHEMA_DIR, installed = DAVRIX_INSTALLED_SCHEMA_DIR;
        if (ExecutableDir() == DAVRIX_INSTALLED_BINDIR) {
            candidates.push_back(installed);
            candidates.push_back(source);
        } else {
            candidates.push_back(source);
            candidates.push_back(installed);
        }
    }
    std::string tried;
    for (const std::string& dir : candidates) {
        if (Readable(dir + "/" + file)) return dir;
        tried += (tried.empty() ? "" : ", ") + dir;
    }
    throw ToolError("schema file " + file + " not found in " + DisplayGbk(tried) + " (give --schema-dir)");
}

std::vector<SchemaScript::Statement> SchemaScript::Split(const std::string& text) {
    std::vector<Statement> statements;
    Statement current{0, std::string()};
    int number = 0;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line.compare(first, 2, "--") == 0) continue;
        if (current.sql.empty())
            current.line = number;
        else
            current.sql += '\n';
        size_t last = line.find_last_not_of(" \t");
        bool ends = line[last] == ';';
        current.sql += ends ? line.substr(0, last) : line;
        if (ends) {
            statements.push_back(current);
            current = Statement{0, std::string()};
        }
    }
    if (current.sql.find_first_not_of(" \t\n") != std::string::npos) statements.push_back(current);
    return statements;
}

}  // namespace tool
}  // namespace davrix
