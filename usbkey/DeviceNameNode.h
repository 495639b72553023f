#pragma once
// One node of a device's tree of display names (device, interfaces, disks, volumes).
#include <string>
#include <vector>

class CDeviceNameNode {
public:
    CDeviceNameNode() = default;
    CDeviceNameNode(CDeviceNameNode* parent, std::string text);
    CDeviceNameNode(const CDeviceNameNode& other);
    CDeviceNameNode(CDeviceNameNode&& other) noexcept;
    CDeviceNameNode& operator=(const CDeviceNameNode& other);
    CDeviceNameNode& operator=(CDeviceNameNode&& other) noexcept;
    virtual ~CDeviceNameNode() = default;

    const std::string& GetText() const { return m_text; }
    void SetText(std::string text) { m_text = std::move(text); }
    const CDeviceNameNode* GetParent() const { return m_parent; }
    const std::vector<CDeviceNameNode>& GetChildren() const { return m_children; }

    // Appends a child and returns it; the earlier children may have moved.
    CDeviceNameNode& AddChild(std::string text);

private:
    void RelinkChildren();

    std::string m_text;
    CDeviceNameNode* m_parent = nullptr;
    std::vector<CDeviceNameNode> m_children;
};
