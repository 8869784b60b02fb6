#pragma once

// Save steps that pass every call on to a system's own steps, except the
// calls chosen to fail: call number N (from 0, counting only the steps that
// can fail) fails with a given errno instead, as if the system had failed it,
// and without doing what it would have done. A failing close still closes,
// so that nothing stays open. The names of the calls made are kept in order.
//
// A watcher, when set, is told as the save passes each step by name: just
// before it, just after it, and half-way through a write, once the first half
// of the bytes has been handed to the system (the write is then made in two
// halves). A test that ends the process there has killed the save at a named
// point, the same in every run.

#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "SaveSteps.h"

enum class StepMoment { before, during, after };

class FaultySaveSteps : public SaveSteps {
public:
    using Watcher = std::function<void(const std::string& step, StepMoment moment)>;

    FaultySaveSteps(std::unique_ptr<SaveSteps> real, std::map<int, int> faults)
        : owned(std::move(real)), real(*owned), faults(std::move(faults)) {}

    const std::vector<std::string>& calls() const { return made; }
    void watch(Watcher watcher) { watching = std::move(watcher); }

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
        pass("keepOwnerAndMode", [&] { real.keepOwnerAndMode(temp, file); });
    }
    StepResult write(std::FILE* stream, std::string_view content) override {
        return call("write", [&] {
            if (!watching) return real.write(stream, content);
            const std::string_view first = content.substr(0, content.size() / 2);
            StepResult result = real.write(stream, first);
            if (result.ok()) std::fflush(stream);
            watching("write", StepMoment::during);
            if (result.ok()) result = real.write(stream, content.substr(first.size()));
            return result;
        });
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
    void remove(const std::string& path) override {
        pass("remove", [&] { real.remove(path); });
    }
    StepResult writeInPlace(const std::string& path, std::string_view content) override {
        return call("writeInPlace", [&] { return real.writeInPlace(path, content); });
    }
    void removeAbandonedTemps(const std::string& path) override {
        pass("removeAbandonedTemps", [&] { real.removeAbandonedTemps(path); });
    }
    std::string errnoReason(int error) override { return real.errnoReason(error); }

private:
    // A step that can fail: counted, and failed when chosen.
    template <class Step>
    StepResult call(const char* name, Step step) {
        const auto fault = faults.find(static_cast<int>(made.size()));
        made.push_back(name);
        StepResult result;
        pass(name, [&] {
            if (fault == faults.end())
                result = step();
            else
                result = {fault->second, real.errnoReason(fault->second)};
        });
        return result;
    }
    // Any step, told to the watcher before and after.
    template <class Step>
    void pass(const char* name, Step step) {
        if (watching) watching(name, StepMoment::before);
        step();
        if (watching) watching(name, StepMoment::after);
    }

    std::unique_ptr<SaveSteps> owned;
    SaveSteps& real;
    std::map<int, int> faults;  // call number -> errno
    std::vector<std::string> made;
    Watcher watching;
};
