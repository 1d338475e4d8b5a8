#include "WidgetInteraction.h"

#include "core/flow/ExportFormat.h"

#include <QApplication>
#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace {

// A file dialog that also accepts a folder holding one of the marker files, which no mode of QFileDialog does.
class FileOrFolderDialog : public QFileDialog
{
public:
    FileOrFolderDialog(QWidget *parent, const QString &title, const QString &folder, const QStringList &markers)
        : QFileDialog(parent, title, folder)
        , m_markers(markers)
    {
    }

    QString chosenFolder() const { return m_chosenFolder; }

    void accept() override
    {
        const QStringList files = selectedFiles();
        // Nothing selected: Open means the folder being shown.
        const QString first = files.isEmpty() ? directory().absolutePath() : files.first();
        if (QFileInfo(first).isDir()) {
            const QDir folder(first);
            for (const QString &marker : m_markers) {
                if (QFileInfo(folder.filePath(marker)).isFile()) {
                    m_chosenFolder = folder.absolutePath();
                    QDialog::accept();
                    return;
                }
            }
        }
        QFileDialog::accept();
    }

private:
    QStringList m_markers;
    QString m_chosenFolder;
};

} // namespace

QWidget *WidgetInteraction::dialogParent() const
{
    if (m_mainWindow && m_mainWindow->isVisible())
        return m_mainWindow;
    return QApplication::activeWindow();
}

UserInteraction::AlertButton WidgetInteraction::runCriticalAlert(
    const QString &title, const QString &message, const QString &defaultButton, const QString &alternateButton)
{
    QMessageBox box(QMessageBox::Critical, title, QString(), QMessageBox::NoButton, dialogParent());
    box.setTextFormat(Qt::RichText);
    box.setText(u"<b>"_s + title.toHtmlEscaped() + u"</b>"_s);
    box.setInformativeText(message);
    // A message box is as wide as its short title; the messages need room to read well.
    if (auto *grid = qobject_cast<QGridLayout *>(box.layout()))
        grid->addItem(new QSpacerItem(420, 0, QSizePolicy::Minimum, QSizePolicy::Minimum), grid->rowCount(), 0, 1,
            grid->columnCount());
    QPushButton *defaultChoice = box.addButton(defaultButton, QMessageBox::AcceptRole);
    QPushButton *alternateChoice = nullptr;
    if (!alternateButton.isEmpty())
        alternateChoice = box.addButton(alternateButton, QMessageBox::RejectRole);
    box.setDefaultButton(defaultChoice);
    // Escape means the alternate button where there is one; a lone button is also the escape button.
    box.setEscapeButton(alternateChoice ? alternateChoice : defaultChoice);
    box.exec();
    return alternateChoice && box.clickedButton() == alternateChoice ? AlertButton::Alternate : AlertButton::Default;
}

void WidgetInteraction::beep()
{
    QApplication::beep();
}

std::optional<QString> WidgetInteraction::chooseFolder(const QString &startFolder)
{
    const QString folder = QFileDialog::getExistingDirectory(
        dialogParent(), u"Choose a Folder"_s, startFolder, QFileDialog::ShowDirsOnly);
    if (folder.isEmpty())
        return std::nullopt;
    return folder;
}

QString WidgetInteraction::nameFilterFor(const QString &extension)
{
    const ExportFormat *format = ExportFormat::forExtension(extension);
    const QString kind = format && !format->fileType.isEmpty() ? QString(format->fileType) : u"Files"_s;
    return kind + u" (*."_s + extension + u')';
}

QString WidgetInteraction::withRequiredExtension(const QString &path, const QString &extension)
{
    if (extension.isEmpty() || path.endsWith(u'.' + extension))
        return path;
    return path + u'.' + extension;
}

void WidgetInteraction::beginSavePanel(
    const SavePanelRequest &request, std::function<void(std::optional<QString>)> done)
{
    auto *dialog = new QFileDialog(dialogParent(), u"Export Playlist"_s, request.startFolder);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setNameFilter(nameFilterFor(request.requiredExtension));
    dialog->setDefaultSuffix(request.requiredExtension);
    dialog->setLabelText(QFileDialog::Accept, u"Export"_s);
    dialog->selectFile(request.proposedName);
    const QString extension = request.requiredExtension;
    QObject::connect(dialog, &QFileDialog::finished, dialog, [dialog, extension, done](int result) {
        const QStringList files = dialog->selectedFiles();
        if (result != QDialog::Accepted || files.isEmpty()) {
            done(std::nullopt);
            return;
        }
        done(withRequiredExtension(files.first(), extension));
    });
    // open() makes the dialog window-modal on its parent: the main window is blocked, menus elsewhere are not.
    dialog->open();
}

std::optional<QString> WidgetInteraction::chooseColor(const QString &currentColor, const QString &title)
{
    const QColor chosen = QColorDialog::getColor(QColor(u'#' + currentColor), dialogParent(), title);
    if (!chosen.isValid())
        return std::nullopt;
    // The dialog picks whole 8-bit components, so the six digits lose nothing of the choice.
    return chosen.name(QColor::HexRgb).mid(1);
}

std::optional<QString> WidgetInteraction::chooseFileToOpen(const OpenFileRequest &request)
{
    FileOrFolderDialog dialog(dialogParent(), request.title, request.startFolder, request.folderMarkers);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(request.nameFilters);
    if (!request.folderMarkers.isEmpty())
        dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    if (!dialog.chosenFolder().isEmpty())
        return dialog.chosenFolder();
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty())
        return std::nullopt;
    return files.first();
}

void WidgetInteraction::showAbout(const QString &title, const QString &text)
{
    QMessageBox::about(dialogParent(), title, text);
}

void WidgetInteraction::showAboutToolkit()
{
    QMessageBox::aboutQt(dialogParent());
}

void WidgetInteraction::terminate()
{
    m_terminating = true;
    // Before the event loop runs this does nothing; the start-up code checks isTerminating() instead.
    QCoreApplication::exit(0);
}
