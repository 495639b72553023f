#pragma once
// The process-finder strategy a program installs once at start-up.
#include <memory>

#include "common/ProcessFinderImpl.h"

class CProcessFinderFactory {
public:
    virtual ~CProcessFinderFactory() = default;
    virtual std::unique_ptr<CProcessFinderImpl> Create() const = 0;
};

class CPsapiProcessFinderFactory : public CProcessFinderFactory {
public:
    std::unique_ptr<CProcessFinderImpl> Create() const override;
};

class CToolhelpProcessFinderFactory : public CProcessFinderFactory {
public:
    std::unique_ptr<CProcessFinderImpl> Create() const override;
};

// Holds the installed factory for the whole process; empty until a strategy is chosen.
class CProcessFinderFactoryHolder {
public:
    static CProcessFinderFactoryHolder& Instance();

    // Replaces the installed factory; null leaves the holder empty.
    void Install(std::unique_ptr<CProcessFinderFactory> factory) { m_factory = std::move(factory); }
    const CProcessFinderFactory* Factory() const { return m_factory.get(); }

private:
    CProcessFinderFactoryHolder() = default;

    std::unique_ptr<CProcessFinderFactory> m_factory;
};

void UsePsapiProcessFinder();
void UseToolhelpProcessFinder();

// The process status library when it binds, otherwise Toolhelp: the choice every
// program makes at start-up.
void ChooseProcessFinder();
// Removes the strategy and unloads the libraries it was bound to: the end of a program.
void ReleaseProcessFinder();

// A new implementation from the installed factory; null when none is installed.
std::unique_ptr<CProcessFinderImpl> CreateProcessFinderImpl();
