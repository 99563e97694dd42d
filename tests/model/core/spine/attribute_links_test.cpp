// Links between attributes: the connect / disconnect state machine, copies,
// and resolution of links read from packs and dictionaries.
#include "base/CCDictionary.h"
#include "base/CCString.h"
#include "model/core/QVPackMap.h"
#include "test_models.h"

namespace {

using cocos2d::CCDictionary;
using cocos2d::CCString;

class AttributeLinks : public SpineTest {
protected:
    void SetUp() override {
        SpineTest::SetUp();
        a->addListener(&la);
        b->addListener(&lb);
        f->addListener(&lf);
    }
    void TearDown() override {
        a->removeListener(&la);
        b->removeListener(&lb);
        f->removeListener(&lf);
        SpineTest::TearDown();
    }
    std::shared_ptr<TestNode> a = TestNode::create(), b = TestNode::create(), f = TestNode::create();
    RecordingListener la, lb, lf;
};

TEST_F(AttributeLinks, ConnectIsSymmetricAndNotifiesBothOwnersOnce) {
    f->target->connect(a->load);
    EXPECT_EQ(f->target->connectedAttribute(), a->load);
    EXPECT_TRUE(a->load->contains(f->target));
    f->target->connect(a->load);  // again, from either side: nobody hears
    a->load->connect(f->target);
    EXPECT_EQ(a->load->connections().size(), 1u);
    EXPECT_EQ(la.linkEvents(), 1);
    EXPECT_EQ(lf.linkEvents(), 1);

    auto* plain = new QVAttribute("Plain", b.get());
    a->load->connect(b->load);      // equal modes
    plain->connect(a->load);        // mode 0
    f->target->connect(b->target);  // equal modes
    EXPECT_TRUE(plain->connections().empty() && b->load->connections().empty());
    EXPECT_EQ(la.linkEvents() + lb.linkEvents(), 1);
}

TEST_F(AttributeLinks, RetargetingAFollowerLeavesTheOldSource) {
    f->target->connect(a->load);
    f->target->connect(b->load);
    EXPECT_EQ(f->target->connectedAttribute(), b->load);
    EXPECT_FALSE(a->load->contains(f->target));
    EXPECT_EQ(la.linkEvents(), 2);  // linked, then dropped
    EXPECT_EQ(lb.linkEvents(), 1);
    EXPECT_EQ(lf.linkEvents(), 2);
}

TEST_F(AttributeLinks, DisconnectAndDisconnectAllFromEitherSide) {
    auto g = TestNode::create();
    f->target->connect(a->load, true);
    g->target->connect(a->load, true);
    f->target->disconnect(a->load);  // a follower ignores disconnect
    EXPECT_TRUE(a->load->contains(f->target));

    a->load->disconnect(f->target);
    EXPECT_EQ(f->target->connectedAttribute(), nullptr);
    EXPECT_EQ(a->load->connections(), std::vector<QVBaseAttribute*>{g->target});
    EXPECT_EQ(lf.linkEvents(), 1);
    g->target->disconnectAll();
    EXPECT_TRUE(a->load->connections().empty());
    EXPECT_EQ(la.linkEvents(), 2);
    a->load->disconnectAll();  // nothing linked: nobody hears
    EXPECT_EQ(la.linkEvents(), 2);
}

TEST_F(AttributeLinks, SourceSwitchedToModeZeroReleasesAllFollowers) {
    auto g = TestNode::create();
    f->target->connect(a->load, true);
    g->target->connect(a->load, true);
    a->load->setConnectionMode(QVBaseAttribute::kConnectionNone);
    EXPECT_EQ(f->target->connectedAttribute(), nullptr);
    EXPECT_EQ(g->target->connectedAttribute(), nullptr);
    EXPECT_EQ(lf.linkEvents(), 1);
    EXPECT_EQ(la.linkEvents(), 1);  // one notification for the whole release
}

TEST_F(AttributeLinks, CopiesKeepFollowerLinksButNotFollowers) {
    f->target->connect(a->load, true);
    auto fCopy = TestNode::createCopy(*f);
    EXPECT_EQ(fCopy->target->connectedAttribute(), a->load);
    EXPECT_EQ(a->load->connections().size(), 2u);
    auto aCopy = TestNode::createCopy(*a);
    EXPECT_EQ(aCopy->load->connectionMode(), 1u);
    EXPECT_TRUE(aCopy->load->connections().empty());
    fCopy.reset();
    EXPECT_EQ(a->load->connections(), std::vector<QVBaseAttribute*>{f->target});
}

class LinkResolution : public AttributeLinks {
protected:
    void SetUp() override {
        AttributeLinks::SetUp();
        installKeyTable({{"connectedModelId", 0}, {"attributeName", 1}});
        controller()->addModel(a);
    }
    QVPackMap linkMap(uint32_t id, const std::string& name) {
        QVPackMap map(zone);
        map.put("connectedModelId", id);
        map.put("attributeName", name);
        return map;
    }
    msgpack::zone zone;
};

TEST_F(LinkResolution, SourceModeAttributeWinsOverAnEarlierPlainOne) {
    auto* decoy = new QVAttribute("Load", nullptr);
    a->addAttribute(decoy, 1);
    ASSERT_EQ(a->attribute("Load"), decoy);
    f->target->unpackConnections(linkMap(a->id(), "Load"));
    EXPECT_EQ(f->target->connectedAttribute(), a->load);
    EXPECT_EQ(lf.linkEvents(), 0);  // loading never notifies
}

TEST_F(LinkResolution, BadIdsAndNamesLeaveTheFollowerUnlinked) {
    f->target->unpackConnections(linkMap(0, "Load"));
    f->target->unpackConnections(linkMap(a->id() + 1000, "Load"));
    f->target->unpackConnections(linkMap(a->id(), ""));
    f->target->unpackConnections(linkMap(a->id(), "load"));  // case matters
    EXPECT_EQ(f->target->connectedAttribute(), nullptr);
    b->load->unpackConnections(linkMap(a->id(), "Load"));  // only followers read
    EXPECT_TRUE(b->load->connections().empty());
}

TEST_F(LinkResolution, PackedAndDictionaryLinksReadBack) {
    a->setId(3000000000u);  // above 2^31: "%d" writes it negative
    f->target->connect(a->load, true);
    QVPackMap written(zone);
    f->target->packConnections(written);
    QVPackMap none(zone);
    a->load->packConnections(none);  // a source writes nothing
    EXPECT_TRUE(none.empty());
    CCDictionary* dict = f->target->connectionToDictionary();
    EXPECT_STREQ(dict->valueForKey("connectedModelId")->getCString(), "-1294967296");
    EXPECT_STREQ(dict->valueForKey("attributeName")->getCString(), "Load");
    EXPECT_EQ(a->load->connectionToDictionary()->count(), 0u);

    auto g = TestNode::create(), h = TestNode::create();
    g->target->unpackConnections(written);
    h->target->connectionFromDictionary(dict);
    EXPECT_EQ(g->target->connectedAttribute(), a->load);
    EXPECT_EQ(h->target->connectedAttribute(), a->load);
}

}  // namespace
