#pragma once

#include <QString>

class QWidget;

namespace sora {

// Picks a folder for the user.
class FolderChooser
{
public:
    virtual ~FolderChooser() = default;
    // Returns the chosen folder with a trailing separator; on cancel, `current` unchanged.
    virtual QString choose(QWidget* parent, const QString& title, const QString& current) = 0;
};

class QtFolderChooser final : public FolderChooser
{
public:
    QString choose(QWidget* parent, const QString& title, const QString& current) override;
};

} // namespace sora
