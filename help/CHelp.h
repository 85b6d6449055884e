#pragma once
// Opens the help file beside the executable in the desktop's viewer, optionally naming a window
// type or a context number.

#include <QString>
#include <functional>
#include <optional>

class CHelp {
public:
    // Receives the help target ("file" or "file>window") and the context number, if any. Tests
    // replace it to record what would be opened.
    using Opener = std::function<void(const QString& target, std::optional<int> contextId)>;
    static Opener SetOpener(Opener opener); // returns the previous one; an empty one restores the default

    // The help file in the application folder.
    static QString HelpFilePath();

    // Opens newFile at its default topic, or at contextId. A missing file opens nothing and reports
    // nothing.
    void Show(const QString& newFile, const QString& windowPane = QString(),
              std::optional<int> contextId = std::nullopt) const;
};
