#include "kvc/KvcRegister.h"

#include "kvc/KvAxisImage.h"
#include "kvc/KvBufferedImage.h"
#include "kvc/KvChart.h"
#include "kvc/KvColorButton.h"
#include "kvc/KvEdit.h"
#include "kvc/KvGaugeBar.h"
#include "kvc/KvGroupBox.h"
#include "kvc/KvImage.h"
#include "kvc/KvLineSelector.h"
#include "kvc/KvLinkLabel.h"
#include "kvc/KvMatrixImage.h"
#include "kvc/KvMultiLang.h"
#include "kvc/KvMultiSlider.h"
#include "kvc/KvOpenGL.h"
#include "kvc/KvPaletteBar.h"
#include "kvc/KvPointSelector.h"
#include "kvc/KvRectSelector.h"
#include "kvc/KvRotateLabel.h"
#include "kvc/KvSlider.h"
#include "kvc/KvTable.h"
#include "kvc/KvTrackBar.h"
#include "kvc/KvWinControlCapture.h"
#include "kvc/OpenGLPanel.h"
#include "platform/ui/Palette.h"
#include "platform/ui/ShellCtrls.h"

void Kvc::Register()
{
    using namespace KVC;
    RegisterComponents("KVC", {
                                  ComponentClass<TKvEdit>("TKvEdit"),
                                  ComponentClass<TKvRotateLabel>("TKvRotateLabel"),
                                  ComponentClass<TKvImage>("TKvImage"),
                                  ComponentClass<TKvBufferedImage>("TKvBufferedImage"),
                                  ComponentClass<TKvAxisImage>("TKvAxisImage"),
                                  ComponentClass<TKvMatrixImage>("TKvMatrixImage"),
                                  ComponentClass<TKvChart>("TKvChart"),
                                  ComponentClass<TKvWinControlCapture>("TKvWinControlCapture"),
                                  ComponentClass<TKvPaletteBar>("TKvPaletteBar"),
                                  ComponentClass<TKvColorButton>("TKvColorButton"),
                                  ComponentClass<TShellTreeView>("TShellTreeView"),
                                  ComponentClass<TShellComboBox>("TShellComboBox"),
                                  ComponentClass<TShellListView>("TShellListView"),
                                  ComponentClass<TShellChangeNotifier>("TShellChangeNotifier"),
                                  ComponentClass<TOpenGLPanel>("TOpenGLPanel"),
                                  ComponentClass<TKvOpenGL>("TKvOpenGL"),
                                  ComponentClass<TKvTrackBar>("TKvTrackBar"),
                                  ComponentClass<TKvSlider>("TKvSlider"),
                                  ComponentClass<TKvMultiLang>("TKvMultiLang"),
                                  ComponentClass<TKvGroupBox>("TKvGroupBox"),
                                  ComponentClass<TKvFlatEdit>("TKvFlatEdit"),
                                  ComponentClass<TKvLinkLabel>("TKvLinkLabel"),
                                  ComponentClass<TKvGaugeBar>("TKvGaugeBar"),
                                  ComponentClass<TKvRectSelector>("TKvRectSelector"),
                                  ComponentClass<TKvLineSelector>("TKvLineSelector"),
                                  ComponentClass<TKvPointSelector>("TKvPointSelector"),
                                  ComponentClass<TKvTable>("TKvTable"),
                                  ComponentClass<TKvMultiSlider>("TKvMultiSlider"),
                              });
}
