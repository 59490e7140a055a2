#include <gtest/gtest.h>

#include <string>

#include "product/progress_text.hpp"

namespace pedlik {
namespace {

// Units that finish last to first still come out first to last, each unit's
// text followed by its closing, which may use what earlier closings found;
// nothing of the units after one that finished as the last comes out.
TEST(OrderedProgress, ClosingsFollowTheirUnitsInUnitOrder) {
    std::string out;
    OrderedProgress texts(ProgressSink(out), 4);
    std::string base;
    const auto closing = [&base](int unit) {
        return [&base, unit](ProgressSink sink) {
            if (unit == 0) base = "base";
            sink.print("[close %d after %s]", unit, base.c_str());
        };
    };
    for (int unit : {3, 2, 1}) {
        texts.start(unit).print("(unit %d)", unit);
        texts.finish(unit, unit == 2, closing(unit));
        EXPECT_EQ(out, "");
    }
    texts.start(0).print("(unit 0)");
    EXPECT_EQ(out, "(unit 0)");
    texts.finish(0, false, closing(0));
    EXPECT_EQ(out, "(unit 0)[close 0 after base](unit 1)[close 1 after base](unit 2)[close 2 after base]");
    EXPECT_TRUE(texts.cutOff(3));
}

}  // namespace
}  // namespace pedlik
