#pragma once
// Where a simulated machine of a test build reads its scenario.
#include <string>

// The file named by the environment variable, else `fileName` beside the program.
std::string ScenarioFilePath(const char* variable, const char* fileName);
