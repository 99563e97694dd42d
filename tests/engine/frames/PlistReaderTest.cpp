#include <gtest/gtest.h>

#include <string>

#include "base/CCArray.h"
#include "base/CCAutoreleasePool.h"
#include "base/CCDictionary.h"
#include "base/CCString.h"
#include "frames/PlistReader.h"

using namespace cocos2d;

namespace {

class PlistReader : public ::testing::Test {
protected:
    void TearDown() override { CCPoolManager::sharedPoolManager()->finalize(); }

    static CCDictionary* parse(const std::string& text) {
        return plist::dictionaryFromData(text.data(), text.size(), "test.plist");
    }
    static std::string wrap(const std::string& body) {
        return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
               "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
               "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
               "<plist version=\"1.0\">" + body + "</plist>\n";
    }
    static std::string nested(const char* container, int depth) {
        std::string open, close;
        for (int i = 1; i < depth; ++i) {
            if (std::string(container) == "dict") {
                open += "<key>k</key><dict>";
                close = "</dict>" + close;
            } else {
                open += i == 1 ? "<key>k</key><array>" : "<array>";
                close = "</array>" + close;
            }
        }
        return wrap("<dict>" + open + close + "</dict>");
    }
    static std::string text(CCDictionary* d, const char* key) {
        auto* s = dynamic_cast<CCString*>(d->objectForKey(key));
        return s ? s->str() : std::string("<not a string>");
    }
};

}  // namespace

TEST_F(PlistReader, MapsEveryValueTypeAndKeepsKeyOrder) {
    CCDictionary* d = parse(wrap(R"(<dict>
        <key>s</key><string> two  words </string>
        <key>empty</key><string/>
        <key>escaped</key><string>&lt;&amp;&gt;&quot;</string>
        <key>i</key><integer>-42</integer>
        <key>r</key><real>2.5</real>
        <key>when</key><date>2024-01-02T03:04:05Z</date>
        <key>yes</key><true/>
        <key>no</key><false/>
        <!-- comments are ignored -->
        <key>list</key><array><string>a</string><integer>1</integer><dict/><array/></array>
        <key>inner</key><dict><key>x</key><real>1</real></dict>
    </dict>)"));
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(text(d, "s"), " two  words ");
    EXPECT_EQ(text(d, "empty"), "");
    EXPECT_EQ(text(d, "escaped"), "<&>\"");
    EXPECT_EQ(text(d, "i"), "-42");
    EXPECT_EQ(text(d, "r"), "2.5");
    EXPECT_EQ(text(d, "when"), "2024-01-02T03:04:05Z");
    EXPECT_EQ(text(d, "yes"), "1");
    EXPECT_EQ(text(d, "no"), "0");

    auto* list = dynamic_cast<CCArray*>(d->objectForKey("list"));
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->count(), 4u);
    EXPECT_NE(dynamic_cast<CCString*>(list->objectAtIndex(1)), nullptr);
    EXPECT_NE(dynamic_cast<CCDictionary*>(list->objectAtIndex(2)), nullptr);
    EXPECT_NE(dynamic_cast<CCArray*>(list->objectAtIndex(3)), nullptr);
    auto* inner = dynamic_cast<CCDictionary*>(d->objectForKey("inner"));
    ASSERT_NE(inner, nullptr);
    EXPECT_EQ(text(inner, "x"), "1");

    std::string order;
    for (const auto& e : d->entries()) order += e.first + ",";
    EXPECT_EQ(order, "s,empty,escaped,i,r,when,yes,no,list,inner,");
}

TEST_F(PlistReader, NestingIsLimitedToThirtyTwoLevels) {
    for (const char* container : {"dict", "array"}) {
        SCOPED_TRACE(container);
        EXPECT_NE(parse(nested(container, 32)), nullptr);
        EXPECT_EQ(parse(nested(container, 33)), nullptr);
        EXPECT_EQ(parse(nested(container, 100)), nullptr);
        EXPECT_EQ(parse(nested(container, 5000)), nullptr);
    }
}

TEST_F(PlistReader, RuleBreaksGiveNoDictionaryAndALogLine) {
    const std::string cases[] = {
        std::string("bplist00\xd1\x01\x02\x51\x61\x51\x62\x08\x0b\x0d", 17),
        "",
        "not xml at all",
        wrap("<dict><key>a</key><string>unclosed</dict>"),
        "<dict><key>a</key><string>no plist root</string></dict>",
        wrap("<array><string>root is not a dict</string></array>"),
        wrap("<dict/><dict/>"),
        wrap(""),
        wrap("<dict><key>dangling</key></dict>"),
        wrap("<dict><string>value without key</string></dict>"),
        wrap("<dict><key>a</key><data>AAEC</data></dict>"),
        wrap("<dict><key>a</key><string><dict/></string></dict>"),
        wrap("<dict><key><dict/></key><string>x</string></dict>"),
        wrap("<dict><key>a</key><array><key>b</key></array></dict>"),
    };
    for (const std::string& c : cases) {
        SCOPED_TRACE(c);
        testing::internal::CaptureStderr();
        CCDictionary* d = parse(c);
        std::string log = testing::internal::GetCapturedStderr();
        EXPECT_EQ(d, nullptr);
        EXPECT_NE(log.find("[plist] test.plist"), std::string::npos) << log;
    }
    EXPECT_EQ(plist::dictionaryFromData(nullptr, 10, nullptr), nullptr);
}

TEST_F(PlistReader, RepeatedKeyKeepsTheFirstValue) {
    CCDictionary* d = parse(wrap("<dict><key>a</key><string>first</string><key>b</key><true/>"
                                 "<key>a</key><string>second</string></dict>"));
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->count(), 2u);
    EXPECT_EQ(text(d, "a"), "first");
}
