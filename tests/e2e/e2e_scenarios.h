// The scenario groups the driver runs, one CTest test each. Every group
// returns after its program is gone; failures are counted by Check.
#pragma once

#include "e2e_support.h"

// Hand-written QIF content and its conversion, shared by the groups.
extern const char kMonthFirst[];
extern const char kMonthFirstConverted[];
extern const char kDayFirst[];
extern const char kDayFirstConverted[];
std::string Bytes(const char *text);

void RunRoadScenarios(const E2eSetup &setup);
void RunFixtureScenarios(const E2eSetup &setup);
void RunQuestionScenarios(const E2eSetup &setup);
void RunCloseScenarios(const E2eSetup &setup);
void RunKeyboardScenarios(const E2eSetup &setup);
void RunLoadFailureScenarios(const E2eSetup &setup);
void RunSaveFailureScenarios(const E2eSetup &setup);
void RunFullDiskScenario(const E2eSetup &setup);
void RunLayoutScenarios(const E2eSetup &setup);
void RunNameScenarios(const E2eSetup &setup);
void RunCommandLineScenarios(const E2eSetup &setup);
void RunSizeLimitScenario(const E2eSetup &setup);
void RunKilledSaveScenario(const E2eSetup &setup);
void RunOrdinaryUserScenarios(const E2eSetup &setup);
void RunSampleScenarios(const E2eSetup &setup);
