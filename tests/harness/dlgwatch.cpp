// dlgwatch --caption TEXT [--press BUTTON] [--timeout-ms N] [--out FILE]
// Waits for a dialog box with that caption in the same Wine session, presses the button and
// writes what it saw as key=value lines (to standard output without --out). Exit code 0 when the
// box was found, 1 when not, 2 for a bad command line.

#include "harness/DialogWatcher.h"

#include "platform/StrUtils.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// Line breaks and backslashes are escaped so that every value stays on its line.
std::string Escape(const std::string& text) {
    std::string r;
    for (char c : text) {
        if (c == '\\')
            r += "\\\\";
        else if (c == '\r')
            r += "\\r";
        else if (c == '\n')
            r += "\\n";
        else
            r += c;
    }
    return r;
}

std::string Rect(const RECT& r) {
    return velk::Format("%ld,%ld,%ld,%ld", r.left, r.top, r.right, r.bottom);
}

std::string Report(const velk::test::TDialogSeen& seen) {
    std::string buttons;
    for (int id : seen.Buttons)
        buttons += (buttons.empty() ? "" : ",") + velk::test::ButtonName(id);
    std::string r = velk::Format("found=%d\n", seen.Found ? 1 : 0);
    if (!seen.Found)
        return r;
    r += "caption=" + Escape(seen.Caption) + "\n";
    r += "text=" + Escape(seen.Text) + "\n";
    r += "buttons=" + buttons + "\n";
    r += "icon=" + seen.Icon + "\n";
    r += velk::Format("owner=0x%lx\n",
                      static_cast<unsigned long>(reinterpret_cast<uintptr_t>(seen.Owner)));
    r += "owner_caption=" + Escape(seen.OwnerCaption) + "\n";
    r += velk::Format("topmost=%d\n", (seen.ExStyle & WS_EX_TOPMOST) ? 1 : 0);
    r += "rect=" + Rect(seen.Rect) + "\n";
    r += "workarea=" + Rect(seen.WorkArea) + "\n";
    r += "pressed=" + velk::test::ButtonName(seen.Pressed) + "\n";
    r += velk::Format("closed=%d\n", seen.Closed ? 1 : 0);
    return r;
}

int Usage() {
    std::fprintf(stderr, "usage: dlgwatch --caption TEXT [--press OK|CANCEL|YES|NO|...] "
                         "[--timeout-ms N] [--out FILE]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    std::string caption, out;
    int button = 0;
    int timeout = 10000;
    bool haveCaption = false;
    for (int i = 1; i < argc; ++i) {
        std::string option = argv[i];
        if (i + 1 >= argc)
            return Usage();
        std::string value = argv[++i];
        if (option == "--caption") {
            caption = value;
            haveCaption = true;
        } else if (option == "--press") {
            button = velk::test::ButtonId(value);
            if (button == 0)
                return Usage();
        } else if (option == "--timeout-ms") {
            if (!velk::TryStrToInt(value, timeout) || timeout < 0)
                return Usage();
        } else if (option == "--out") {
            out = value;
        } else {
            return Usage();
        }
    }
    if (!haveCaption)
        return Usage();
    velk::test::TDialogSeen seen = velk::test::WatchDialog(caption, button, DWORD(timeout));
    std::string report = Report(seen);
    FILE* file = out.empty() ? stdout : std::fopen(out.c_str(), "wb");
    if (file == nullptr) {
        std::fprintf(stderr, "dlgwatch: cannot write %s\n", out.c_str());
        return 2;
    }
    std::fputs(report.c_str(), file);
    if (file != stdout)
        std::fclose(file);
    return seen.Found ? 0 : 1;
}
