#include "transfer/ExistsPolicy.h"

ExistsAction DecideExisting(WhenExists setting, const FileFacts& source, const FileFacts& target,
                            bool binary) {
    switch (setting) {
    case WhenExists::Replace:
        return ExistsAction::Replace;
    case WhenExists::Ask:
        return ExistsAction::Cancel;
    case WhenExists::ReplaceIfNewerOrDifferent: {
        const bool newer = source.modified && target.modified && *source.modified > *target.modified;
        return newer || source.size != target.size ? ExistsAction::Replace : ExistsAction::Skip;
    }
    case WhenExists::Resume:
        return ApplicableAction(ExistsAction::Resume, source, target, binary);
    case WhenExists::Skip:
        return ExistsAction::Skip;
    }
    return ExistsAction::Cancel;
}

bool ResumeApplies(const FileFacts& source, const FileFacts& target, bool binary) {
    return binary && target.size < source.size;
}

ExistsAction ApplicableAction(ExistsAction action, const FileFacts& source, const FileFacts& target,
                              bool binary) {
    if (action == ExistsAction::Resume && !ResumeApplies(source, target, binary))
        return ExistsAction::Replace;
    return action;
}

std::string KeepBothName(const std::string& name, const std::function<bool(const std::string&)>& taken) {
    // The extension stays last; a leading dot is part of the name, not an extension.
    const std::size_t dot = name.rfind('.');
    const bool hasExtension = dot != std::string::npos && dot > 0;
    const std::string stem = hasExtension ? name.substr(0, dot) : name;
    const std::string extension = hasExtension ? name.substr(dot) : std::string();
    for (int n = 1;; ++n) {
        std::string candidate = stem + " (" + std::to_string(n) + ")" + extension;
        if (!taken(candidate))
            return candidate;
    }
}
