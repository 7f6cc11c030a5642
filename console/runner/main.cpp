// quillard-run: the console's send path without a window.
#include <string_view>
#include <vector>

#include "runner.h"
#include "runner_output.h"

int main(int argc, char** argv)
{
    const std::vector<std::string> arguments = CommandLineArguments(argc, argv);
    const std::vector<std::string_view> args(arguments.begin(), arguments.end());
    const ParsedOptions parsed = ParseRunnerOptions(args);
    if (!parsed.error.empty()) {
        WriteMessageLine("quillard-run: " + parsed.error);
        WriteMessageLine("Try 'quillard-run --help'.");
        return kExitUsage;
    }
    if (parsed.options.help) {
        WriteConsoleText(stdout, UsageText());
        return kExitAllSucceeded;
    }
    if (parsed.options.version) {
        WriteConsoleText(stdout, "quillard-run " QUILLARD_VERSION "\n");
        return kExitAllSucceeded;
    }
    return RunTransactions(parsed.options);
}
