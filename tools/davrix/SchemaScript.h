// SchemaScript: the project's schema file of a backend, found and cut into statements.
#ifndef DAVRIX_TOOL_SCHEMASCRIPT_H
#define DAVRIX_TOOL_SCHEMASCRIPT_H

#include <string>
#include <vector>

namespace davrix {
namespace tool {

class SchemaScript {
public:
    struct Statement {
        int line;  // of its first line in the file
        std::string sql;
    };

    // The folder holding the schema files: the --schema-dir given, else $DAVRIX_SCHEMA_DIR,
    // else the source tree's or the installed folder (the installed one first for an
    // installed program). Throws ToolError when none holds the file.
    static std::string Locate(const std::string& schemaDirOption, const std::string& file);

    // Statements end with ';' at a line end; comment lines ("--") and blank lines are dropped.
    static std::vector<Statement> Split(const std::string& text);
};

}  // namespace tool
}  // namespace davrix

#endif
