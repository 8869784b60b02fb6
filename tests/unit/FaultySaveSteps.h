#pragma once

// Save steps that pass every call on to a system's own steps, except the
// calls chosen to fail: call number N (from 0, counting only the steps that
// can fail) fails with a given errno instead, as if the system had failed it,
// and without doing what it would have done. A failing close still closes,
// so that nothing stays open. The names of the calls made are kept in order.

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "SaveSteps.h"

class FaultySaveSteps : public SaveSteps {
public:
    FaultySaveSteps(std::unique_ptr<SaveSteps> real, std::map<int, int> faults)
        : owned(std::move(real)), real(*owned), faults(std::move(faults)) {}

    const std::vector<std::string>& calls() const { return made; }

    StepResult findFinal(const std::string& target, bool followLinks, FinalFile& file) override {
        return call("findFinal", [&] { return real.findFinal(target, followLinks, file); });
    }
    StepResult refusal(const FinalFile& file) override {
        return call("refusal", [&] { return real.refusal(file); });
    }
    TempFile createTemp(TempFileFactory create, const std::string& path) override {
        TempFile temp;
        const StepResult result = call("createTemp", [&] {
            temp = real.createTemp(create, path);
            return StepResult{};
        });
        return result.ok() ? temp : TempFile{nullptr, {}, result.error};
    }
    void keepOwnerAndMode(const TempFile& temp, const FinalFile& file) override {
        real.keepOwnerAndMode(temp, file);
    }
    StepResult write(std::FILE* stream, std::string_view content) override {
        return call("write", [&] { return real.write(stream, content); });
    }
    StepResult flush(std::FILE* stream) override {
        return call("flush", [&] { return real.flush(stream); });
    }
    StepResult close(std::FILE* stream) override {
        const bool failing = faults.count(static_cast<int>(made.size())) != 0;
        const StepResult result = call("close", [&] { return real.close(stream); });
        if (failing) real.close(stream);
        return result;
    }
    StepResult rename(const std::string& from, const std::string& to) override {
        return call("rename", [&] { return real.rename(from, to); });
    }
    void remove(const std::string& path) override { real.remove(path); }
    StepResult writeInPlace(const std::string& path, std::string_view content) override {
        return call("writeInPlace", [&] { return real.writeInPlace(path, content); });
    }
    void removeAbandonedTemps(const std::string& path) override { real.removeAbandonedTemps(path); }
    std::string errnoReason(int error) override { return real.errnoReason(error); }

private:
    template <class Step>
    StepResult call(const char* name, Step step) {
        const auto fault = faults.find(static_cast<int>(made.size()));
        made.push_back(name);
        if (fault == faults.end()) return step();
        return {fault->second, real.errnoReason(fault->second)};
    }

    std::unique_ptr<SaveSteps> owned;
    SaveSteps& real;
    std::map<int, int> faults;  // call number -> errno
    std::vector<std::string> made;
};
