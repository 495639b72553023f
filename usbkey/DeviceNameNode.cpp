#include "usbkey/DeviceNameNode.h"

#include <utility>

// Children live by value, so every copy, move or append that places nodes at new
// addresses points their children back at them. Each node relinks its own direct
// children when it is built, which keeps every deeper level right as well.

CDeviceNameNode::CDeviceNameNode(CDeviceNameNode* parent, std::string text)
    : m_text(std::move(text)), m_parent(parent)
{
}

CDeviceNameNode::CDeviceNameNode(const CDeviceNameNode& other)
    : m_text(other.m_text), m_parent(other.m_parent), m_children(other.m_children)
{
    RelinkChildren();
}

CDeviceNameNode::CDeviceNameNode(CDeviceNameNode&& other) noexcept
    : m_text(std::move(other.m_text)), m_parent(other.m_parent), m_children(std::move(other.m_children))
{
    RelinkChildren();
}

CDeviceNameNode& CDeviceNameNode::operator=(const CDeviceNameNode& other)
{
    if (this != &other) {
        m_text = other.m_text;
        m_children = other.m_children;
        RelinkChildren();
    }
    return *this;
}

CDeviceNameNode& CDeviceNameNode::operator=(CDeviceNameNode&& other) noexcept
{
    if (this != &other) {
        m_text = std::move(other.m_text);
        m_children = std::move(other.m_children);
        RelinkChildren();
    }
    return *this;
}

CDeviceNameNode& CDeviceNameNode::AddChild(std::string text)
{
    m_children.emplace_back(this, std::move(text));
    RelinkChildren();
    return m_children.back();
}

void CDeviceNameNode::RelinkChildren()
{
    for (CDeviceNameNode& child : m_children)
        child.m_parent = this;
}
