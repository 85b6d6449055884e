#pragma once
// What a transfer does with a target that already exists: the setting, the question put to the user
// and the pure rules that pick the action.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

// The "When a file exists" setting.
enum class WhenExists { Replace, Ask, ReplaceIfNewerOrDifferent, Resume, Skip };

enum class ExistsAction { Replace, Resume, KeepBoth, Skip, Cancel };

// What is known of a file on either side.
struct FileFacts {
    std::int64_t size = 0;
    std::optional<std::int64_t> modified; // seconds since 1970 (UTC)
};

// The question of the Ask setting, for one file.
struct ExistsQuestion {
    std::string name; // as bytes
    FileFacts source, target;
    bool resumeOffered = false; // a binary transfer onto a smaller target
};
struct ExistsAnswer {
    ExistsAction action = ExistsAction::Cancel;
    bool sameForRest = false; // "Do the same for the rest of this transfer"
};
using ExistsAsker = std::function<ExistsAnswer(const ExistsQuestion&)>;

// The transfer settings of the Transfer menu.
struct TransferOptions {
    WhenExists whenExists = WhenExists::Replace;
    bool keepTimes = true;
};

// The action for an existing target under a setting other than Ask (Ask yields Cancel here: the
// caller asks). Resume falls back to Replace where it cannot apply (ASCII, a target not smaller).
ExistsAction DecideExisting(WhenExists setting, const FileFacts& source, const FileFacts& target,
                            bool binary);

// A binary transfer may continue a target that is smaller than its source.
bool ResumeApplies(const FileFacts& source, const FileFacts& target, bool binary);
// An action chosen once (an Ask answer, "same for the rest") as it applies to this file: Resume
// becomes Replace where it cannot apply.
ExistsAction ApplicableAction(ExistsAction action, const FileFacts& source, const FileFacts& target,
                              bool binary);

// "name (1).ext", "name (2).ext", ... : the first that taken() does not report.
std::string KeepBothName(const std::string& name, const std::function<bool(const std::string&)>& taken);
