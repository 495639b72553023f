#include "common/ScenarioFile.h"

#include "common/PathText.h"
#include "common/PathUtil.h"

#include <windows.h>

std::string ScenarioFilePath(const char* variable, const char* fileName)
{
    char path[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableA(variable, path, MAX_PATH);
    if (length > 0 && length < MAX_PATH)
        return path;
    return PathText::AppendBackslash(CPathUtil::GetModuleFolder(nullptr)) + fileName;
}
