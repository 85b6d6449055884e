#pragma once
// The program's own pictures, compiled in: the small icons of the file lists, the toolbar images,
// the window icon and the About picture.

#include <QIcon>
#include <QList>
#include <QPixmap>
#include <QString>

namespace Images {

// The 19 small icons, in image-list order (index 1 first).
QList<QIcon> SmallIcons();
// Toolbar images by name ("connect", "disconnect", "delete", "rename", "refresh").
QIcon ToolbarImage(const QString& name);
QIcon ToolbarHotImage(const QString& name);
QIcon WindowIcon();
QPixmap AboutPicture(); // 96 x 96

} // namespace Images
