#include "demo/ObjectWalk.h"

#include "demo/CallError.h"
#include "demo/DemoEvent.h"
#include "demo/DemoStatements.h"

namespace velk::demo {

namespace {

void WalkNodes(TMapBasic& mapInfo, const TTrace& trace) {
    mapInfo.Do("LastObj = CommandInfo(1)");
    const std::string countExpression = "ObjectInfo(LastObj, 20)";
    const std::string countText = mapInfo.Eval(countExpression);
    int16_t count = 0;
    if (!ParseInt16(countText, count))
        throw ECallFailed("Eval(" + countExpression + ")",
                          "\"" + countText + "\" is no node count from -32768 to 32767");
    for (int i = 1; i <= count; ++i) {
        const std::string index = std::to_string(i);
        const std::string x = mapInfo.Eval("ObjectNodeX(LastObj, 1, " + index + ")");
        const std::string y = mapInfo.Eval("ObjectNodeY(LastObj, 1, " + index + ")");
        trace(NodeLine(i, x, y));
    }
}

} // namespace

void WalkObject(TMapBasic& mapInfo, const std::string& heading, const TTrace& trace) {
    trace(heading);
    mapInfo.Do("Dim LastObj As Object");
    try {
        WalkNodes(mapInfo, trace);
    } catch (...) {
        try {
            mapInfo.Do("UnDim LastObj");
        } catch (const ECallFailed&) {
            // The walk's own failure is the one to report.
        }
        throw;
    }
    mapInfo.Do("UnDim LastObj");
}

} // namespace velk::demo
