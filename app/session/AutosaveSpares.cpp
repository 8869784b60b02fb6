#include "AutosaveSpares.h"

#include "NewFile.h"
#include "TextFile.h"

std::string fileBesideMap(const std::string& mapFile, const std::string& suffix) {
    const std::string kept = systemFileName(mapFile);
#ifdef _WIN32
    const std::size_t slash = kept.find_last_of("/\\");
#else
    const std::size_t slash = kept.rfind('/');
#endif
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::string name = kept.substr(nameStart);
    const std::string stem = fittingStemOf(name, suffix.size());
    if (stem == name || suffix.empty() || suffix[0] != '.') return kept.substr(0, nameStart) + stem + suffix;
    // A shortened name's suffix starts with "~" for its ".": every full name's
    // files end in ".autosave" or ".autosave-N", so a map named like another
    // map's shortened stem never shares its autosave.
    return kept.substr(0, nameStart) + stem + "~" + suffix.substr(1);
}

std::string sparePathFor(const std::string& mapFile, int n) {
    return fileBesideMap(mapFile, ".autosave-" + std::to_string(n));
}

std::vector<std::string> existingSpares(const std::string& mapFile) {
    std::vector<std::string> spares;
    for (int n = 2; n <= maxSpareNumber; ++n) {
        std::string spare = sparePathFor(mapFile, n);
        if (!isSymbolicLink(spare.c_str()) && pathKind(spare.c_str()) == PathKind::regularFile)
            spares.push_back(std::move(spare));
    }
    return spares;
}

std::string takeSpareName(const std::string& mapFile, std::string& problem) {
    for (int n = 2; n <= maxSpareNumber; ++n) {
        std::string spare = sparePathFor(mapFile, n);
        std::string reason;
        switch (createNewFile(spare, &reason)) {
            case CreateResult::created:
                return spare;
            case CreateResult::exists:
                continue;
            case CreateResult::failed:
                problem = spare + " could not be made: " + reason;
                return {};
        }
    }
    problem = "every spare name up to " + sparePathFor(mapFile, maxSpareNumber) + " is taken";
    return {};
}
