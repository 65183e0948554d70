// wizardpress --caption TEXT --heading TEXT [--press NAME]... [--timeout-ms N]
// Waits for the page of the standard wizard with that heading in the same Wine session, then
// presses its buttons in order: next, back, cancel, accept (the license), restart (the finish
// page's choice). Exit code 0 when the page came and every button could be pressed, 1 when not,
// 2 for a bad command line. The demo walks the sample's wizard with it.

#include "harness/WizardDriver.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

int ControlOf(const std::string& name) {
    static const struct {
        const char* Name;
        int Id;
    } controls[] = {{"next", IDC_NEXT},
                    {"back", IDC_BACK},
                    {"cancel", IDCANCEL},
                    {"accept", IDC_ACCEPT},
                    {"restart", IDC_RESTART}};
    for (const auto& control : controls)
        if (name == control.Name)
            return control.Id;
    return 0;
}

int Usage() {
    std::fprintf(stderr, "usage: wizardpress --caption TEXT --heading TEXT "
                         "[--press next|back|cancel|accept|restart]... [--timeout-ms N]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    std::string caption, heading;
    std::vector<int> presses;
    DWORD timeout = 30000;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i], value = argv[i + 1];
        if (option == "--caption")
            caption = value;
        else if (option == "--heading")
            heading = value;
        else if (option == "--press" && ControlOf(value))
            presses.push_back(ControlOf(value));
        else if (option == "--timeout-ms")
            timeout = DWORD(std::atoi(value.c_str()));
        else
            return Usage();
    }
    if (argc % 2 == 0 || caption.empty() || heading.empty())
        return Usage();
    velk::test::TWizardDriver wizard(caption);
    if (!wizard.Page(heading, timeout)) {
        std::fprintf(stderr, "wizardpress: no page \"%s\"\n", heading.c_str());
        return 1;
    }
    for (int id : presses)
        if (!wizard.Press(id)) {
            std::fprintf(stderr, "wizardpress: control %d cannot be pressed\n", id);
            return 1;
        }
    return 0;
}
