#include <windows.h>

#include <gtest/gtest.h>

#include "common/DynamicLibrary.h"
#include "common/ModuleList.h"
#include "common/PsapiLibrary.h"
#include "common/ToolhelpLibrary.h"

namespace {

// Binds two entry points of Kernel32, the second by a name the test chooses.
class CTwoFunctionLibrary : public CDynamicLibrary {
public:
    CTwoFunctionLibrary(const char* fileName, const char* secondName)
        : CDynamicLibrary(fileName), m_secondName(secondName)
    {
    }
    ~CTwoFunctionLibrary() override { Unload(); }

    const char* m_secondName;
    FARPROC first = nullptr;
    FARPROC second = nullptr;
    int resolves = 0;
    int resets = 0;

protected:
    bool ResolveFunctions() override
    {
        ++resolves;
        first = GetProc("GetTickCount");
        second = GetProc(m_secondName);
        return first && second;
    }
    void ResetFunctions() override
    {
        ++resets;
        first = second = nullptr;
    }
};

TEST(DynamicLibrary, MissingEntryPointLeavesItUnloadedAndALaterLoadTriesAgain)
{
    CTwoFunctionLibrary library("KERNEL32.DLL", "NoSuchFunctionAnywhere");
    EXPECT_FALSE(library.Load());
    EXPECT_FALSE(library.IsLoaded());
    EXPECT_EQ(1, library.resets);
    EXPECT_EQ(nullptr, library.GetProc("GetTickCount"));

    library.m_secondName = "GetVersion";
    EXPECT_TRUE(library.Load());
    EXPECT_TRUE(library.IsLoaded());
    EXPECT_NE(nullptr, library.second);
    EXPECT_EQ(2, library.resolves);
}

TEST(DynamicLibrary, LoadsOnceAndUnloadForgetsTheEntryPoints)
{
    CTwoFunctionLibrary library("KERNEL32.DLL", "GetVersion");
    EXPECT_EQ(nullptr, library.GetProc("GetTickCount")); // nothing loaded yet
    ASSERT_TRUE(library.Load());
    EXPECT_TRUE(library.Load());
    EXPECT_EQ(1, library.resolves);
    library.Unload();
    EXPECT_FALSE(library.IsLoaded());
    EXPECT_EQ(1, library.resets);
    EXPECT_EQ(nullptr, library.first);
    EXPECT_EQ(nullptr, library.GetProc("GetTickCount"));
    library.Unload(); // not loaded: nothing happens
    EXPECT_EQ(1, library.resets);
}

TEST(DynamicLibrary, MissingLibraryDoesNotLoad)
{
    CTwoFunctionLibrary library("NOSUCHLIBRARY-KV.DLL", "GetVersion");
    EXPECT_FALSE(library.Load());
    EXPECT_EQ(0, library.resolves);
}

TEST(DynamicLibrary, ProcessLibrariesBindAllTheirEntryPoints)
{
    CPsapiLibrary& psapi = CPsapiLibrary::Instance();
    ASSERT_TRUE(psapi.Load());
    EXPECT_TRUE(psapi.IsBound());
    CToolhelpLibrary& toolhelp = CToolhelpLibrary::Instance();
    ASSERT_TRUE(toolhelp.Load());
    EXPECT_TRUE(toolhelp.IsBound());
    toolhelp.Unload();
    EXPECT_FALSE(toolhelp.IsBound());
    EXPECT_EQ(nullptr, toolhelp.process32First);
}

TEST(ModuleList, ProgramFileIsKeptApartFromTheLibraries)
{
    HMODULE a = reinterpret_cast<HMODULE>(0x400000);
    HMODULE b = reinterpret_cast<HMODULE>(0x7B000000);
    CModuleList list;
    list.Add("C:\\K\\Brontal.exe", a);
    list.Add("C:\\windows\\system32\\KERNEL32.DLL", b);
    list.Add("", b);                   // ignored
    list.Add("C:\\K\\NULL.DLL", nullptr); // ignored
    list.Add("C:\\K\\TOOL.EXE.DLL", b);
    ASSERT_TRUE(list.MainModule().has_value());
    EXPECT_EQ("C:\\K\\Brontal.exe", list.MainModule()->path);
    EXPECT_EQ(a, list.MainModule()->module);
    ASSERT_EQ(2u, list.OtherModules().size());
    EXPECT_EQ("C:\\windows\\system32\\KERNEL32.DLL", list.OtherModules()[0].path);
    EXPECT_EQ("C:\\K\\TOOL.EXE.DLL", list.OtherModules()[1].path);

    list.Add("C:\\K\\SECOND.EXE", b); // a later program file replaces the first
    EXPECT_EQ("C:\\K\\SECOND.EXE", list.MainModule()->path);
    list.Clear();
    EXPECT_FALSE(list.MainModule().has_value());
    EXPECT_TRUE(list.OtherModules().empty());
}

} // namespace
