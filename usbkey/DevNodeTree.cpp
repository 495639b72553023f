#include "usbkey/DevNodeTree.h"

#include <utility>
#include <vector>

namespace usbkey {

namespace {

CDevNodeTreeNode* NextAfterSubtree(CDevNodeTreeNode* node)
{
    for (CDevNodeTreeNode* n = node; n; n = n->Parent())
        if (n->NextSibling())
            return n->NextSibling();
    return node;  // only the end marker has neither sibling nor parent
}

} // namespace

CDevNodeTree::Position& CDevNodeTree::Position::operator++()
{
    m_node = m_node->FirstChild() ? m_node->FirstChild() : NextAfterSubtree(m_node);
    return *this;
}

CDevNodeTree::SiblingPosition& CDevNodeTree::SiblingPosition::operator++()
{
    // The root's next sibling is the end marker, which belongs to no parent.
    m_node = m_parent ? m_node->NextSibling() : nullptr;
    return *this;
}

CDevNodeTree::CDevNodeTree() = default;

CDevNodeTree::CDevNodeTree(const CDevNodeTree& other) : CDevNodeTree()
{
    *this = other;
}

CDevNodeTree::CDevNodeTree(CDevNodeTree&& other) noexcept : CDevNodeTree()
{
    AdoptRootOf(other);
}

CDevNodeTree& CDevNodeTree::operator=(const CDevNodeTree& other)
{
    if (this == &other)
        return *this;
    Clear();
    // Pre-order copy without recursion: the copy of the last node seen at each depth is
    // the parent of the next node one level deeper.
    std::vector<Position> copyAtDepth;
    for (Position p = other.begin(); p != other.end(); ++p) {
        const auto depth = static_cast<std::size_t>(p->Depth());
        const Position copy = depth == 0 ? SetRoot(p->Info()) : AppendChild(copyAtDepth[depth - 1], p->Info());
        copyAtDepth.resize(depth + 1);
        copyAtDepth[depth] = copy;
    }
    return *this;
}

CDevNodeTree& CDevNodeTree::operator=(CDevNodeTree&& other) noexcept
{
    if (this != &other) {
        Clear();
        AdoptRootOf(other);
    }
    return *this;
}

CDevNodeTree::~CDevNodeTree()
{
    Clear();
}

void CDevNodeTree::AdoptRootOf(CDevNodeTree& other)
{
    m_root = std::exchange(other.m_root, nullptr);
    if (m_root)
        m_root->m_nextSibling = EndMarker();
}

CDevNodeTree::Position CDevNodeTree::SetRoot(const CDevNodeInfo& info)
{
    if (!m_root) {
        m_root = new CDevNodeTreeNode;
        m_root->m_info = info;
        m_root->m_nextSibling = EndMarker();
    }
    return Position(m_root);
}

CDevNodeTree::Position CDevNodeTree::AppendChild(Position position, const CDevNodeInfo& info)
{
    CDevNodeTreeNode* parent = position.Node();
    auto* node = new CDevNodeTreeNode;
    node->m_info = info;
    node->m_parent = parent;
    node->m_depth = parent->m_depth + 1;
    node->m_previousSibling = parent->m_lastChild;
    if (parent->m_lastChild)
        parent->m_lastChild->m_nextSibling = node;
    else
        parent->m_firstChild = node;
    parent->m_lastChild = node;
    ++parent->m_childCount;
    return Position(node);
}

CDevNodeTree::Position CDevNodeTree::AppendSibling(Position position, const CDevNodeInfo& info)
{
    return AppendChild(Position(position->Parent()), info);
}

void CDevNodeTree::Unlink(CDevNodeTreeNode* node)
{
    if (node == m_root) {
        m_root = nullptr;
        return;
    }
    CDevNodeTreeNode* parent = node->m_parent;
    if (node->m_previousSibling)
        node->m_previousSibling->m_nextSibling = node->m_nextSibling;
    else
        parent->m_firstChild = node->m_nextSibling;
    if (node->m_nextSibling)
        node->m_nextSibling->m_previousSibling = node->m_previousSibling;
    else
        parent->m_lastChild = node->m_previousSibling;
    --parent->m_childCount;
}

CDevNodeTree::Position CDevNodeTree::Erase(Position position)
{
    CDevNodeTreeNode* node = position.Node();
    if (!node || node == EndMarker())
        return end();
    const Position next(NextAfterSubtree(node));
    Unlink(node);
    // Delete the subtree without recursion.
    std::vector<CDevNodeTreeNode*> pending{node};
    while (!pending.empty()) {
        CDevNodeTreeNode* n = pending.back();
        pending.pop_back();
        for (CDevNodeTreeNode* c = n->m_firstChild; c; c = c->m_nextSibling)
            pending.push_back(c);
        delete n;
    }
    return next;
}

void CDevNodeTree::Clear()
{
    if (m_root)
        Erase(Position(m_root));
}

CDevNodeTree::Children CDevNodeTree::ChildrenOf(const CDevNodeTreeNode& node)
{
    auto* parent = const_cast<CDevNodeTreeNode*>(&node);
    return {SiblingPosition(node.FirstChild(), parent), SiblingPosition(nullptr, parent)};
}

} // namespace usbkey
