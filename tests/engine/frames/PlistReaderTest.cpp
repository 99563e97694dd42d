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
    static std::string nested(const std::string& container, int depth) {
        std::string open, close;
        for (int i = 1; i < depth; ++i) {
            open += (container == "dict" || i == 1 ? "<key>k</key><" : "<") + container + ">";
            close = "</" + container + ">" + close;
        }
        return wrap("<dict>" + open + close + "</dict>");
    }
    // The tree as text: 'string', [array], {key=value,...} in stored order.
    static std::string flat(CCObject* o) {
        std::string r;
        if (auto* s = dynamic_cast<CCString*>(o)) return "'" + s->str() + "'";
        if (auto* a = dynamic_cast<CCArray*>(o)) {
            for (unsigned i = 0; i < a->count(); ++i) r += (i ? "," : "") + flat(a->objectAtIndex(i));
            return "[" + r + "]";
        }
        if (auto* d = dynamic_cast<CCDictionary*>(o)) {
            for (const auto& e : d->entries()) r += (r.empty() ? "" : ",") + e.first + "=" + flat(e.second);
            return "{" + r + "}";
        }
        return o ? "?" : "null";
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
    EXPECT_EQ(flat(d), "{s=' two  words ',empty='',escaped='<&>\"',i='-42',r='2.5',when='2024-01-02T03:04:05Z',"
                       "yes='1',no='0',list=['a','1',{},[]],inner={x='1'}}");
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(flat(d->objectForKey("inner")), "{x='1'}");
    EXPECT_EQ(flat(d->objectForKey("escaped")), "'<&>\"'");

    // A repeated key keeps its first value.
    EXPECT_EQ(flat(parse(wrap("<dict><key>a</key><string>first</string><key>b</key><true/>"
                              "<key>a</key><string>second</string></dict>"))),
              "{a='first',b='1'}");
}

TEST_F(PlistReader, NestingIsLimitedToThirtyTwoLevels) {
    for (const char* container : {"dict", "array"}) {
        SCOPED_TRACE(container);
        EXPECT_NE(parse(nested(container, 32)), nullptr);
        for (int depth : {33, 100, 5000}) EXPECT_EQ(parse(nested(container, depth)), nullptr) << depth;
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
