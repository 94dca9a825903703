#pragma once
// The settings dialog TfrmSettingPara ("设置参数"): edits the test settings,
// the skin and the tint colour in the settings key. Created for one use,
// shown modally, freed. UI thread only.

#include <QDialog>
#include <cstdint>

class QColorDialog;
class QComboBox;
class QGroupBox;
class QLabel;
class QToolButton;

namespace zarelo {

class AppContext;
class Panel;
class RadioGroup;

class TfrmSettingPara : public QDialog {
    Q_OBJECT
public:
    // Runs FormCreate: fills the skin list and loads every control.
    explicit TfrmSettingPara(AppContext& app, QWidget* parent = nullptr);

    RadioGroup* RdTestArea;
    QComboBox* CmbWordNumber;
    QComboBox* CmbWaitTime;
    QGroupBox* GroupBox1; // " 生词认定 "
    QComboBox* CmbSeriRightTimes;
    QComboBox* CmbLastTestRightDays;
    QComboBox* CmbRightTestOverTimes;
    Panel* pnSelectColor; // its colour value is the tint written as selectcolor
    QToolButton* SpeedButton4;
    QColorDialog* ColorDialog1;
    QComboBox* cmbSkinName;
    QToolButton* SpeedButton3; // OK
    QToolButton* SpeedButton1; // Cancel

    // The stored colour value pnSelectColor shows (0x8000000F, the system
    // button face, until one is loaded or picked).
    int32_t SelectColour() const;

    void FormCreate();
    // Writes every control to the values that exist in the key, in order, and closes.
    void SpeedButton3Click();
    void SpeedButton1Click() { reject(); }
    // Picks a colour; a confirmed one shows in pnSelectColor and tints the
    // whole program at once (strength 0.5).
    void SpeedButton4Click();

private:
    void buildControls();

    AppContext& app_;
};

} // namespace zarelo
