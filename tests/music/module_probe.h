// Loads a module through libopenmpt, the way the player does, and keeps every
// line libopenmpt logs so tests can insist on a clean load.
#pragma once

#include <libopenmpt/libopenmpt.h>

#include <cstdint>
#include <string>
#include <vector>

class ModuleProbe {
public:
    explicit ModuleProbe(const std::vector<std::uint8_t>& bytes) {
        mod_ = openmpt_module_create_from_memory2(bytes.data(), bytes.size(), collect, &log_,
                                                  openmpt_error_func_ignore, nullptr, nullptr, nullptr, nullptr);
    }
    ~ModuleProbe() {
        if (mod_) openmpt_module_destroy(mod_);
    }
    ModuleProbe(const ModuleProbe&) = delete;
    ModuleProbe& operator=(const ModuleProbe&) = delete;

    bool loaded() const { return mod_ != nullptr; }
    openmpt_module* get() const { return mod_; }
    std::string logText() const {
        std::string all;
        for (const std::string& line : log_) all += line + "\n";
        return all;
    }
    bool logIsEmpty() const { return log_.empty(); }

    // One cell as a tracker shows it: "C-5 01 v40 J37" style, dots for empty.
    std::string cell(int pattern, int row, int channel) const {
        const char* text = openmpt_module_format_pattern_row_channel(mod_, pattern, row, channel, 0, 1);
        std::string s = text ? text : "";
        openmpt_free_string(text);
        return s;
    }
    std::string metadata(const char* key) const {
        const char* text = openmpt_module_get_metadata(mod_, key);
        std::string s = text ? text : "";
        openmpt_free_string(text);
        return s;
    }

private:
    static void collect(const char* message, void* user) {
        if (message) static_cast<std::vector<std::string>*>(user)->push_back(message);
    }
    openmpt_module* mod_ = nullptr;
    std::vector<std::string> log_;
};
