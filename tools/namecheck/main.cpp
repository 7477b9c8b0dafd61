// namecheck [--json] LIST...
// Tells what each name list will do in the game. Exit status 1 when some
// SetRandomName commands will fail with one of the lists, 2 on bad usage.

#include "list_report.h"

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    bool json = false;
    std::vector<std::string> paths;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--json")
            json = true;
        else
            paths.push_back(argument);
    }
    if (paths.empty()) {
        std::fputs("usage: namecheck [--json] LIST...\n", stderr);
        return 2;
    }
    bool someFail = false;
    for (const auto& path : paths) {
        const ListReport report = ReportOnList(path);
        someFail = someFail || SomeCommandsFail(report);
        const std::string text = json ? ReportAsJson(report) : ReportAsText(report);
        std::fwrite(text.data(), 1, text.size(), stdout);
    }
    return someFail ? 1 : 0;
}
