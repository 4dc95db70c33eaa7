// Reading an exe's embedded manifest back out of the file, and finding the
// settings in it, for any of the project's exes.
#pragma once

#include <string>
#include <vector>

// Every manifest resource in the exe, whatever its id or language, in the
// order the resource directory holds them: a toolchain that adds its own
// default manifest shows up as a second entry.
std::vector<std::string> ExeManifests(const std::string &exePath);

// The text of every element with the given local name (any namespace
// prefix), or the value of its attribute when one is named. Enough XML for a
// manifest: no entities, no CDATA.
std::vector<std::string> ManifestValues(const std::string &xml,
                                        const char *element,
                                        const char *attribute = nullptr);
