// The print command of the main window.

#include "app/Tf_Main.h"

#include "framework/dataset/NativePath.h"
#include "framework/dataset/Table.h"
#include "report/Tr_Korvanta.h"
#include "store/DictionaryStore.h"

// Lays the open dictionary out on the report form, through views of its own
// on the file the main window's views have open, and previews it. The preview
// belongs to this window: it never outlives the program, and the report's
// views are closed with it.
void Tf_Main::spImprimerClick() {
    try {
        r_Korvanta->setUpForPrinting(Store->NomDico(), dataset::fromNativePath(taDico->FilePath()));
    } catch (...) {
        r_Korvanta->closeViews();
        throw;
    }
    r_Korvanta->previewReport(this);
}
