// davrix: the station tool. Everything but the start-up lives in the davrix_cli library.
#include "Cli.h"
#include "Commands.h"
#include "TerminalText.h"

#include <clocale>

int main(int argc, char** argv) {
    setlocale(LC_ALL, "");
    // Numbers are read and written the same way whatever the locale.
    setlocale(LC_NUMERIC, "C");
    davrix::tool::TerminalText terminal;
    davrix::tool::Cli cli(davrix::tool::AllCommands(), terminal);
    return cli.Run(std::vector<std::string>(argv + 1, argv + argc));
}
