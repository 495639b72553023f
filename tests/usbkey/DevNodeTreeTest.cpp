// The device-node tree container: order, depth, erasing and copying.
#include "usbkey/DevNodeTree.h"

#include <gmock/gmock.h>

namespace usbkey {
namespace {

using ::testing::ElementsAre;

CDevNodeInfo Named(const std::string& id)
{
    CDevNodeInfo info;
    info.instanceId = id;
    return info;
}

std::vector<std::string> PreOrder(const CDevNodeTree& tree)
{
    std::vector<std::string> ids;
    for (auto p = tree.begin(); p != tree.end(); ++p)
        ids.push_back(p->Info().instanceId + "@" + std::to_string(p->Depth()));
    return ids;
}

// root: a (a1, a2), b (b1)
CDevNodeTree Sample()
{
    CDevNodeTree tree;
    const auto root = tree.SetRoot(Named("root"));
    const auto a = tree.AppendChild(root, Named("a"));
    tree.AppendChild(a, Named("a1"));
    const auto a2 = tree.AppendChild(a, Named("a2"));
    tree.AppendSibling(a, Named("b"));
    tree.AppendChild(CDevNodeTree::Position(root->LastChild()), Named("b1"));
    EXPECT_EQ(a2->Parent(), a.Node());
    return tree;
}

TEST(DevNodeTree, PreOrderWithDepths)
{
    const CDevNodeTree tree = Sample();
    EXPECT_THAT(PreOrder(tree), ElementsAre("root@0", "a@1", "a1@2", "a2@2", "b@1", "b1@2"));
    EXPECT_EQ(2, tree.Root()->ChildCount());
    std::vector<std::string> children;
    for (const CDevNodeTreeNode& child : CDevNodeTree::ChildrenOf(*tree.Root()))
        children.push_back(child.Info().instanceId);
    EXPECT_THAT(children, ElementsAre("a", "b"));
}

TEST(DevNodeTree, EmptyTreeAndSetRootTwice)
{
    CDevNodeTree tree;
    EXPECT_TRUE(tree.begin() == tree.end());
    const auto root = tree.SetRoot(Named("one"));
    EXPECT_EQ(root, tree.SetRoot(Named("two")));
    EXPECT_THAT(PreOrder(tree), ElementsAre("one@0"));
}

TEST(DevNodeTree, EraseRelinksAndReturnsTheNextPosition)
{
    CDevNodeTree tree = Sample();
    auto a = ++tree.begin();
    const auto next = tree.Erase(a);
    EXPECT_EQ("b", next->Info().instanceId);
    EXPECT_THAT(PreOrder(tree), ElementsAre("root@0", "b@1", "b1@2"));
    EXPECT_EQ(tree.Root()->FirstChild(), tree.Root()->LastChild());
    EXPECT_EQ(nullptr, next->PreviousSibling());
    EXPECT_EQ(1, tree.Root()->ChildCount());
    EXPECT_EQ(tree.end(), tree.Erase(tree.begin()));
    EXPECT_TRUE(tree.IsEmpty());
}

TEST(DevNodeTree, CopiesAreDeepAndIndependent)
{
    CDevNodeTree copy;
    {
        CDevNodeTree source = Sample();
        copy.SetRoot(Named("old"));
        copy = source;
        source.Root()->FirstChild()->Info().instanceId = "changed";
    }
    EXPECT_THAT(PreOrder(copy), ElementsAre("root@0", "a@1", "a1@2", "a2@2", "b@1", "b1@2"));
    CDevNodeTree moved = std::move(copy);
    EXPECT_THAT(PreOrder(moved), ElementsAre("root@0", "a@1", "a1@2", "a2@2", "b@1", "b1@2"));
    EXPECT_EQ(moved.end().Node(), moved.Root()->NextSibling());
}

} // namespace
} // namespace usbkey
