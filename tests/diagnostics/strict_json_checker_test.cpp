// The report tests rely on the independent checker; it must refuse what strict JSON refuses.
#include "support/strict_json.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vanto {
namespace {

TEST(StrictJsonChecker, AcceptsValidAndRefusesNonStandardDocuments) {
    const struct {
        std::string document;
        bool valid;
    } cases[] = {
        {R"({"a":[1,2.5e-07,null,true,"x\"y"]})", true},
        {R"({"a":NaN})", false},
        {R"({"a":Infinity})", false},
        {R"({"a":1,})", false},
        {"{\"a\":\"raw\ttab\"}", false},
        {"{\"a\":\"\xc3\"}", false},
        {R"({"a":1}{})", false},
        {"", false},
    };
    std::vector<std::string> documents;
    for (const auto& c : cases) {
        documents.push_back(c.document);
    }
    const std::vector<std::string> errors = test::strictJsonErrors(documents);
    ASSERT_EQ(errors.size(), documents.size());
    for (std::size_t i = 0; i < documents.size(); ++i) {
        EXPECT_EQ(errors[i].empty(), cases[i].valid) << cases[i].document << " -> " << errors[i];
    }
    EXPECT_EQ(test::strictJsonError("[1]"), "");
    EXPECT_NE(test::strictJsonError("[1"), "");
}

} // namespace
} // namespace vanto
