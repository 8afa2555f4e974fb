// Paradox table files dropped on the main window: each is captured into the
// open dictionary as the add command captures the file it is given.

#include "app/Tf_Main.h"

#include "capture/StructureCapture.h"
#include "framework/widgets/ErrorGuard.h"
#include "framework/widgets/MessageDlg.h"
#include "store/DictionaryStore.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>

namespace {

// The local files among the dropped items whose extension is ".db", in the
// order they were dropped.
QStringList droppedTables(const QMimeData* data) {
    QStringList paths;
    if (!data || !data->hasUrls())
        return paths;
    for (const QUrl& url : data->urls()) {
        const QString path = url.toLocalFile();
        if (!path.isEmpty() &&
            QFileInfo(path).suffix().compare(QLatin1String("db"), Qt::CaseInsensitive) == 0)
            paths.append(path);
    }
    return paths;
}

} // namespace

void Tf_Main::dragEnterEvent(QDragEnterEvent* event) {
    if (Store->TablesViewOpen() && !droppedTables(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

// One file after another, each with its own messages: a refused or damaged
// table does not stop the ones dropped with it.
void Tf_Main::dropEvent(QDropEvent* event) {
    const QStringList paths = droppedTables(event->mimeData());
    if (paths.isEmpty() || !Store->TablesViewOpen())
        return;
    event->acceptProposedAction();
    for (const QString& path : paths)
        widgets::runGuarded([this, &path] { captureDroppedTable(path); });
}

void Tf_Main::captureDroppedTable(const QString& path) {
    if (!m_dropCapture) {
        // Its duplicate check has a view of its own, not one of this window's.
        m_dropCapture = new capture::StructureCapture(nullptr, *Store);
        m_dropCapture->setParent(this);
    }
    const auto generation =
        codeGenerationOn() ? capture::CodeGeneration::On : capture::CodeGeneration::Off;
    const capture::CaptureOutcome outcome = m_dropCapture->CaptureTable(path, generation);
    if (!outcome.captured())
        widgets::MessageDlg(outcome.refusal, widgets::mtWarning, widgets::mbOK);
    tableCaptured(outcome);
}
