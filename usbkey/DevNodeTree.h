#pragma once
// An ordered tree of device nodes: a device, its child nodes and its removal relations.
// Pre-order positions walk the whole tree and end at the tree's end marker; children are
// walked through their sibling links.
#include "usbkey/DevNodeInfo.h"

namespace usbkey {

class CDevNodeTree;

class CDevNodeTreeNode {
public:
    const CDevNodeInfo& Info() const { return m_info; }
    CDevNodeInfo& Info() { return m_info; }
    int Depth() const { return m_depth; }
    int ChildCount() const { return m_childCount; }
    CDevNodeTreeNode* Parent() const { return m_parent; }
    CDevNodeTreeNode* FirstChild() const { return m_firstChild; }
    CDevNodeTreeNode* LastChild() const { return m_lastChild; }
    CDevNodeTreeNode* PreviousSibling() const { return m_previousSibling; }
    // For the root: the tree's end marker.
    CDevNodeTreeNode* NextSibling() const { return m_nextSibling; }

private:
    friend class CDevNodeTree;
    CDevNodeTreeNode* m_parent = nullptr;
    CDevNodeTreeNode* m_firstChild = nullptr;
    CDevNodeTreeNode* m_lastChild = nullptr;
    CDevNodeTreeNode* m_previousSibling = nullptr;
    CDevNodeTreeNode* m_nextSibling = nullptr;
    CDevNodeInfo m_info;
    int m_depth = 0;
    int m_childCount = 0;
};

class CDevNodeTree {
public:
    // Steps in pre-order: first child, else next sibling, else the next sibling of the
    // nearest ancestor that has one; after the root's subtree comes the end marker.
    class Position {
    public:
        Position() = default;
        explicit Position(CDevNodeTreeNode* node) : m_node(node) {}
        CDevNodeTreeNode* Node() const { return m_node; }
        CDevNodeTreeNode& operator*() const { return *m_node; }
        CDevNodeTreeNode* operator->() const { return m_node; }
        Position& operator++();
        bool operator==(const Position&) const = default;

    private:
        CDevNodeTreeNode* m_node = nullptr;
    };

    // Steps from a child to its next sibling; the end is no node under the same parent.
    class SiblingPosition {
    public:
        SiblingPosition(CDevNodeTreeNode* node, CDevNodeTreeNode* parent) : m_node(node), m_parent(parent) {}
        CDevNodeTreeNode* Node() const { return m_node; }
        CDevNodeTreeNode& operator*() const { return *m_node; }
        CDevNodeTreeNode* operator->() const { return m_node; }
        SiblingPosition& operator++();
        bool operator==(const SiblingPosition&) const = default;

    private:
        CDevNodeTreeNode* m_node;
        CDevNodeTreeNode* m_parent;
    };

    struct Children {
        SiblingPosition first;
        SiblingPosition last;
        SiblingPosition begin() const { return first; }
        SiblingPosition end() const { return last; }
    };

    CDevNodeTree();
    CDevNodeTree(const CDevNodeTree& other);
    CDevNodeTree(CDevNodeTree&& other) noexcept;
    CDevNodeTree& operator=(const CDevNodeTree& other);
    CDevNodeTree& operator=(CDevNodeTree&& other) noexcept;
    ~CDevNodeTree();

    Position begin() const { return Position(m_root ? m_root : EndMarker()); }
    Position end() const { return Position(EndMarker()); }
    CDevNodeTreeNode* Root() const { return m_root; }
    bool IsEmpty() const { return m_root == nullptr; }

    // A new root holding a copy of info; an existing root is returned unchanged.
    Position SetRoot(const CDevNodeInfo& info);
    // A new last child of the node at position.
    Position AppendChild(Position position, const CDevNodeInfo& info);
    // A new last child of the position's parent.
    Position AppendSibling(Position position, const CDevNodeInfo& info);
    // Removes the node and its subtree; returns the next pre-order position.
    Position Erase(Position position);
    void Clear();

    static Children ChildrenOf(const CDevNodeTreeNode& node);

private:
    CDevNodeTreeNode* EndMarker() const { return &m_end; }
    void Unlink(CDevNodeTreeNode* node);
    void AdoptRootOf(CDevNodeTree& other);

    CDevNodeTreeNode* m_root = nullptr;
    mutable CDevNodeTreeNode m_end;
};

} // namespace usbkey
