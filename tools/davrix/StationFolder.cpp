#include "StationFolder.h"

#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace davrix {
namespace tool {

const char StationFolder::kDataSource[] = "DAVRIX";

namespace {

std::string Env(const char* name) {
    const char* v = getenv(name);
    return v && *v ? std::string(v) : std::string();
}

std::string Home() {
    std::string home = Env("HOME");
    if (!home.empty()) return home;
    struct passwd* pw = getpwuid(getuid());
    return pw && pw->pw_dir ? pw->pw_dir : "/";
}

}  // namespace

std::string StationFolder::DefaultDir() {
    // The XDG rules ignore a relative XDG_DATA_HOME.
    std::string data = Env("XDG_DATA_HOME");
    if (data.empty() || data[0] != '/') data = Home() + "/.local/share";
    return data + "/davrix";
}

std::string StationFolder::Absolute(const std::string& path) {
    if (path.empty() || path[0] == '/') return path;
    char* cwd = getcwd(nullptr, 0);
    std::string base = cwd ? cwd : ".";
    free(cwd);
    std::string rel = path;
    while (rel.compare(0, 2, "./") == 0) rel.erase(0, 2);
    if (rel == ".") return base;
    return base == "/" ? "/" + rel : base + "/" + rel;
}

std::string StationFolder::ForCommand(const std::string& dirOption, bool dirGiven) {
    if (dirGiven) return Absolute(dirOption);
    std::string fromEnv = Env("ODBCSYSINI");
    if (!fromEnv.empty()) return Absolute(fromEnv);
    return DefaultDir();
}

void StationFolder::Activate(const std::string& dir) { setenv("ODBCSYSINI", dir.c_str(), 1); }

bool StationFolder::IsFolder(const std::string& dir) {
    struct stat st;
    return stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace tool
}  // namespace davrix
