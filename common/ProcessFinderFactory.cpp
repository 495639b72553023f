#include "common/ProcessFinderFactory.h"

#include "common/PsapiProcessFinder.h"
#include "common/SessionLibrary.h"
#include "common/ToolhelpProcessFinder.h"

std::unique_ptr<CProcessFinderImpl> CPsapiProcessFinderFactory::Create() const
{
    return std::make_unique<CPsapiProcessFinder>();
}

std::unique_ptr<CProcessFinderImpl> CToolhelpProcessFinderFactory::Create() const
{
    return std::make_unique<CToolhelpProcessFinder>();
}

CProcessFinderFactoryHolder& CProcessFinderFactoryHolder::Instance()
{
    static CProcessFinderFactoryHolder holder;
    return holder;
}

void UsePsapiProcessFinder()
{
    CProcessFinderFactoryHolder::Instance().Install(std::make_unique<CPsapiProcessFinderFactory>());
}

void UseToolhelpProcessFinder()
{
    CProcessFinderFactoryHolder::Instance().Install(
        std::make_unique<CToolhelpProcessFinderFactory>());
}

void ChooseProcessFinder()
{
    if (CPsapiLibrary::Instance().Load())
        UsePsapiProcessFinder();
    else
        UseToolhelpProcessFinder();
}

void ReleaseProcessFinder()
{
    CProcessFinderFactoryHolder::Instance().Install(nullptr);
    CPsapiLibrary::Instance().Unload();
    CToolhelpLibrary::Instance().Unload();
    CSessionLibrary::Instance().Unload();
}

std::unique_ptr<CProcessFinderImpl> CreateProcessFinderImpl()
{
    const CProcessFinderFactory* factory = CProcessFinderFactoryHolder::Instance().Factory();
    return factory ? factory->Create() : nullptr;
}
