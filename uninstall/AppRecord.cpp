#include "uninstall/AppRecord.h"

namespace velk {
namespace {

// The show numbers the installer writes: 0 hidden, 1 normal, 2 maximised, 3 minimised.
constexpr TAppShow kShows[] = {TAppShow::Hide, TAppShow::Normal, TAppShow::Maximized,
                               TAppShow::Minimized};

// Positions of "',D,'" (one digit D) in text.
size_t CountShowFields(std::string_view text, size_t& at) {
    size_t count = 0;
    for (size_t i = 0; i + 5 <= text.size(); ++i)
        if (text.compare(i, 2, "',") == 0 && text[i + 2] >= '0' && text[i + 2] <= '9' &&
            text.compare(i + 3, 2, ",'") == 0) {
            at = i;
            ++count;
        }
    return count;
}

} // namespace

bool ParseAppRecord(std::string_view text, TAppRecord& record) {
    // The wait flag and the quotes that close the message and open the command line.
    if (text.size() < 2 || text.front() != '\'')
        return false;
    const char wait = text.back();
    text.remove_suffix(1);
    if ((wait != '0' && wait != '1') || text.size() < 3 || text.substr(text.size() - 2) != "',")
        return false;
    text = text.substr(1, text.size() - 3);

    size_t show = 0;
    if (CountShowFields(text, show) != 1 || text[show + 2] > '3')
        return false;
    std::string_view front = text.substr(0, show);
    const std::string_view message = text.substr(show + 5);

    const size_t first = front.find("','");
    if (first == std::string_view::npos)
        return false;
    const size_t second = front.find("','", first + 3);
    if (second == std::string_view::npos || front.find("','", second + 3) != std::string_view::npos)
        return false;
    if (first == 0)
        return false;
    record.CmdLine = std::string(front.substr(0, first));
    record.Args = std::string(front.substr(first + 3, second - first - 3));
    record.WorkDir = std::string(front.substr(second + 3));
    record.Show = kShows[text[show + 2] - '0'];
    record.Message = std::string(message);
    record.Wait = wait == '1';
    return true;
}

} // namespace velk
