// The node walk of the polyline and region tools over a scripted MapInfo.
#include <gtest/gtest.h>

#include "demo/CallError.h"
#include "demo/ObjectWalk.h"

#include <map>
#include <set>

namespace {

using namespace velk::demo;
using Lines = std::vector<std::string>;

class TScriptedMapInfo : public TMapBasic {
public:
    std::map<std::string, std::string> Answers;
    std::set<std::string> Failing;
    Lines Calls;

    void Do(const std::string& statement) override { Call("Do " + statement); }
    std::string Eval(const std::string& expression) override {
        Call("Eval " + expression);
        return Answers[expression];
    }

private:
    void Call(const std::string& call) {
        Calls.push_back(call);
        if (Failing.count(call))
            throw ECallFailed(call, "refused");
    }
};

TEST(ObjectWalk, TracesEveryNodeAndUndims) {
    const struct {
        const char* Count;
        const char* Failing;
        Lines Trace;
        const char* Error;
    } cases[] = {
        {"0", "", {"H"}, nullptr},
        {"1", "", {"H", "1) X = x1  Y = y1"}, nullptr},
        {"2", "", {"H", "1) X = x1  Y = y1", "2) X = x2  Y = y2"}, nullptr},
        {"-3", "", {"H"}, nullptr},
        {"2",
         "Eval ObjectNodeY(LastObj, 1, 2)",
         {"H", "1) X = x1  Y = y1"},
         "Eval ObjectNodeY(LastObj, 1, 2)"},
        {"99999", "", {"H"}, "Eval(ObjectInfo(LastObj, 20))"},
        // The walk's failure is reported even when undimming fails too.
        {"abc", "Do UnDim LastObj", {"H"}, "Eval(ObjectInfo(LastObj, 20))"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.Count) + " " + c.Failing);
        TScriptedMapInfo mapInfo;
        mapInfo.Answers = {{"ObjectInfo(LastObj, 20)", c.Count},
                           {"ObjectNodeX(LastObj, 1, 1)", "x1"},
                           {"ObjectNodeY(LastObj, 1, 1)", "y1"},
                           {"ObjectNodeX(LastObj, 1, 2)", "x2"},
                           {"ObjectNodeY(LastObj, 1, 2)", "y2"}};
        mapInfo.Failing = {c.Failing};
        Lines trace;
        std::string error;
        try {
            WalkObject(mapInfo, "H", [&](const std::string& line) { trace.push_back(line); });
        } catch (const ECallFailed& failure) {
            error = failure.Call;
        }
        EXPECT_EQ(trace, c.Trace);
        EXPECT_EQ(error, c.Error ? c.Error : "");
        ASSERT_GE(mapInfo.Calls.size(), 4u);
        EXPECT_EQ(mapInfo.Calls[0], "Do Dim LastObj As Object");
        EXPECT_EQ(mapInfo.Calls[1], "Do LastObj = CommandInfo(1)");
        EXPECT_EQ(mapInfo.Calls.back(), "Do UnDim LastObj");
    }
}

} // namespace
