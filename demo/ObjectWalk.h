#pragma once

#include <functional>
#include <string>

namespace velk::demo {

// The two MapInfo operations a walk needs; failures throw ECallFailed.
class TMapBasic {
public:
    virtual ~TMapBasic() = default;
    virtual void Do(const std::string& statement) = 0;
    virtual std::string Eval(const std::string& expression) = 0;
};

using TTrace = std::function<void(const std::string&)>;

// Traces the heading and one line per node of the first polygon or section of the object the
// user last entered. The MapBasic variable it dims is undimmed on every path, so that a failed
// walk does not make the next one fail on "Dim".
void WalkObject(TMapBasic& mapInfo, const std::string& heading, const TTrace& trace);

} // namespace velk::demo
