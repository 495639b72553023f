#include "framework/ResourceText.h"

#include "framework/ModuleInstance.h"

namespace fw {

std::string LoadText(UINT id)
{
    char text[2048] = {};
    const int length = LoadStringA(ThisModule(), id, text, sizeof text);
    return std::string(text, length > 0 ? static_cast<size_t>(length) : 0);
}

int ShowMessage(HWND owner, UINT textId, UINT captionId, UINT type)
{
    return MessageBoxA(owner, LoadText(textId).c_str(), LoadText(captionId).c_str(), type);
}

} // namespace fw
