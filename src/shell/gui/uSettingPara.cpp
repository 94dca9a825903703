#include "shell/gui/uSettingPara.h"

#include "base/SettingsKey.h"
#include "base/gui/Panel.h"
#include "shell/SkinFiles.h"
#include "shell/SkinSheet.h"
#include "shell/gui/AppContext.h"
#include "shell/gui/RadioGroup.h"
#include "shell/gui/SkinLayer.h"

#include <QColorDialog>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QScreen>
#include <QToolButton>

namespace zarelo {

namespace {

QFont LabelFont()
{
    QFont f(QStringLiteral("宋体"));
    f.setPixelSize(16);
    return f;
}

QLabel* MakeLabel(QWidget* parent, const QString& text, QPoint at)
{
    auto* label = new QLabel(text, parent);
    label->setFont(LabelFont());
    label->move(at);
    label->adjustSize();
    return label;
}

QComboBox* MakeList(QWidget* parent, const char* name, const QStringList& items, QRect at)
{
    auto* list = new QComboBox(parent);
    list->setObjectName(QString::fromLatin1(name));
    list->setEditable(false);
    list->addItems(items);
    list->setCurrentIndex(-1);
    list->setGeometry(at);
    QPalette p = list->palette();
    p.setColor(QPalette::Base, StoredColour(15660013));
    p.setColor(QPalette::Button, StoredColour(15660013));
    list->setPalette(p);
    return list;
}

QStringList Numbers(int from, int to)
{
    QStringList out;
    for (int i = from; i <= to; ++i)
        out << QString::number(i);
    return out;
}

// The first item whose text equals `text` exactly; the first item when none does.
void SelectText(QComboBox* list, const QString& text)
{
    const int found = list->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    list->setCurrentIndex(found >= 0 ? found : (list->count() > 0 ? 0 : -1));
}

// A number list like waittime: select the stored text (or the default,
// written when missing) and set `variable` to the number shown.
void LoadNumber(SettingsKey& key, const QString& name, const QString& fallback, QComboBox* list,
                int& variable)
{
    if (key.valueExists(name)) {
        SelectText(list, key.readString(name));
    } else {
        SelectText(list, fallback);
        key.writeString(name, fallback);
    }
    bool ok = false;
    const int value = list->currentText().toInt(&ok);
    if (ok)
        variable = value;
}

} // namespace

TfrmSettingPara::TfrmSettingPara(AppContext& app, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint),
      app_(app)
{
    setObjectName(QStringLiteral("frmSettingPara"));
    setWindowTitle(QStringLiteral("设置参数"));
    setFixedSize(329, 431);
    buildControls();
    if (const QScreen* s = screen())
        move(s->geometry().center() - rect().center());
    FormCreate();
}

void TfrmSettingPara::buildControls()
{
    RdTestArea =
        new RadioGroup(QStringLiteral(" 测试范围 "),
                       {QStringLiteral("本册单词/句子"), QStringLiteral("本课单词/句子")}, this);
    RdTestArea->setObjectName(QStringLiteral("RdTestArea"));
    RdTestArea->setFont(LabelFont());
    RdTestArea->setGeometry(16, 8, 297, 56);
    RdTestArea->button(0)->setGeometry(12, 26, 136, 22);
    RdTestArea->button(1)->setGeometry(156, 26, 136, 22);
    RdTestArea->setItemIndex(1);

    MakeLabel(this, QStringLiteral("单词/句子数量"), {16, 80});
    CmbWordNumber = MakeList(this, "CmbWordNumber",
                             {QStringLiteral("十个"), QStringLiteral("十五个"),
                              QStringLiteral("二十个"), QStringLiteral("全部")},
                             {136, 76, 97, 24});
    MakeLabel(this, QStringLiteral("间隔时间"), {16, 114});
    CmbWaitTime = MakeList(this, "CmbWaitTime", {"5", "7", "10", "12", "15", "18", "20", "25"},
                           {136, 110, 97, 24});
    MakeLabel(this, QStringLiteral("秒"), {240, 114});

    GroupBox1 = new QGroupBox(QStringLiteral(" 生词认定 "), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setFont(LabelFont());
    GroupBox1->setGeometry(16, 146, 297, 124);
    MakeLabel(GroupBox1, QStringLiteral("连续正确次数小于"), {8, 28});
    CmbSeriRightTimes = MakeList(GroupBox1, "CmbSeriRightTimes", Numbers(1, 10), {216, 24, 49, 24});
    MakeLabel(GroupBox1, QStringLiteral("次"), {270, 28});
    MakeLabel(GroupBox1, QStringLiteral("上次正确测试时间大于"), {8, 60});
    CmbLastTestRightDays =
        MakeList(GroupBox1, "CmbLastTestRightDays", Numbers(1, 10), {216, 56, 49, 24});
    MakeLabel(GroupBox1, QStringLiteral("天"), {270, 60});
    MakeLabel(GroupBox1, QStringLiteral("测试正确次数-错误次数小于"), {8, 92});
    CmbRightTestOverTimes =
        MakeList(GroupBox1, "CmbRightTestOverTimes", Numbers(1, 10), {216, 88, 49, 24});
    MakeLabel(GroupBox1, QStringLiteral("次"), {270, 92});

    MakeLabel(this, QStringLiteral("系统颜色"), {16, 288});
    pnSelectColor = new Panel(this);
    pnSelectColor->setObjectName(QStringLiteral("pnSelectColor"));
    pnSelectColor->setBevels(Panel::Bevel::Lowered, Panel::Bevel::None);
    pnSelectColor->setColourValue(SystemButtonFaceColour);
    pnSelectColor->setGeometry(104, 284, 129, 24);
    SpeedButton4 = new QToolButton(this);
    SpeedButton4->setObjectName(QStringLiteral("SpeedButton4"));
    SpeedButton4->setText(QStringLiteral("选择"));
    SpeedButton4->setGeometry(240, 284, 73, 24);
    ColorDialog1 = new QColorDialog(this);
    ColorDialog1->setObjectName(QStringLiteral("ColorDialog1"));

    MakeLabel(this, QStringLiteral("系统风格"), {16, 324});
    cmbSkinName = MakeList(this, "cmbSkinName", {}, {104, 320, 209, 24});
    auto* note = MakeLabel(this, QStringLiteral("下次启动生效"), {104, 350});
    note->setObjectName(QStringLiteral("Label9"));

    SpeedButton3 = new QToolButton(this);
    SpeedButton3->setObjectName(QStringLiteral("SpeedButton3"));
    SpeedButton3->setText(QStringLiteral("确   定"));
    SpeedButton3->setGeometry(56, 384, 89, 33);
    SpeedButton1 = new QToolButton(this);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->setText(QStringLiteral("取  消"));
    SpeedButton1->setGeometry(184, 384, 89, 33);

    connect(SpeedButton3, &QToolButton::clicked, this,
            [this] { app_.Guarded([this] { SpeedButton3Click(); }); });
    connect(SpeedButton1, &QToolButton::clicked, this, [this] { SpeedButton1Click(); });
    connect(SpeedButton4, &QToolButton::clicked, this,
            [this] { app_.Guarded([this] { SpeedButton4Click(); }); });
}

int32_t TfrmSettingPara::SelectColour() const
{
    return pnSelectColor->colourValue().value_or(SystemButtonFaceColour);
}

void TfrmSettingPara::FormCreate()
{
    cmbSkinName->addItems(ListSkinFiles(app_.Paths.Data()));
    cmbSkinName->setCurrentIndex(-1);

    SettingsKey key(app_.Paths.SettingsPath);
    if (!key.isOpen())
        return;
    TestSettings& settings = app_.Settings;

    const QString testArea = QStringLiteral("testarea");
    bool ok = false;
    const int area = key.valueExists(testArea) ? key.readString(testArea).toInt(&ok) : 1;
    if (!key.valueExists(testArea))
        key.writeString(testArea, QStringLiteral("1"));
    // A stored range that is neither 0 nor 1 shows the form's default.
    const int shown = ok && (area == 0 || area == 1) ? area : 1;
    RdTestArea->setItemIndex(shown);
    settings.TestAreaSetting = shown;

    const QString wordNumber = QStringLiteral("wordnumber");
    if (key.valueExists(wordNumber)) {
        SelectText(CmbWordNumber, key.readString(wordNumber));
    } else {
        SelectText(CmbWordNumber, QStringLiteral("十个"));
        key.writeString(wordNumber, QStringLiteral("十个"));
    }

    LoadNumber(key, QStringLiteral("waittime"), QStringLiteral("10"), CmbWaitTime,
               settings.WaitTimeSetting);
    LoadNumber(key, QStringLiteral("seririghttimes"), QStringLiteral("3"), CmbSeriRightTimes,
               settings.SeriRightSetting);
    LoadNumber(key, QStringLiteral("lasttestrightdays"), QStringLiteral("3"), CmbLastTestRightDays,
               settings.LastRightDaysSetting);
    LoadNumber(key, QStringLiteral("righttestovertimes"), QStringLiteral("3"),
               CmbRightTestOverTimes, settings.RightOverSetting);

    const QString skin = QStringLiteral("selectskin");
    if (key.valueExists(skin)) {
        SelectText(cmbSkinName, key.readString(skin));
    } else {
        SelectText(cmbSkinName, QStringLiteral("PixOS.ssk"));
        key.writeString(skin, QStringLiteral("PixOS.ssk"));
    }

    const QString colour = QStringLiteral("selectcolor");
    if (key.valueExists(colour)) {
        const QString text = key.readString(colour);
        if (!text.isEmpty()) {
            // Not an integer: the panel keeps its colour and the error goes
            // to the general report.
            app_.Guarded([&] { pnSelectColor->setColourValue(ParseSkinColour(text)); });
        }
    } else {
        key.writeString(colour, QString());
    }
}

void TfrmSettingPara::SpeedButton3Click()
{
    // A number list without a selection (the key failed to open while
    // loading) has no number to write; that value is left as it is.
    auto number = [](const QComboBox* list) -> std::optional<QString> {
        bool ok = false;
        const int value = list->currentText().toInt(&ok);
        return ok ? std::optional<QString>(QString::number(value)) : std::nullopt;
    };
    const int area = RdTestArea->itemIndex();
    const std::vector<std::pair<QString, std::optional<QString>>> values = {
        {QStringLiteral("testarea"),
         area >= 0 ? std::optional<QString>(QString::number(area)) : std::nullopt},
        {QStringLiteral("wordnumber"), CmbWordNumber->currentText()},
        {QStringLiteral("waittime"), number(CmbWaitTime)},
        {QStringLiteral("seririghttimes"), number(CmbSeriRightTimes)},
        {QStringLiteral("lasttestrightdays"), number(CmbLastTestRightDays)},
        {QStringLiteral("righttestovertimes"), number(CmbRightTestOverTimes)},
        {QStringLiteral("selectskin"), cmbSkinName->currentText()},
        {QStringLiteral("selectcolor"), QString::number(SelectColour())},
    };
    {
        SettingsKey key(app_.Paths.SettingsPath);
        for (const auto& [name, value] : values)
            if (value)
                key.overwriteExisting(name, *value);
    }
    accept();
}

void TfrmSettingPara::SpeedButton4Click()
{
    ColorDialog1->setCurrentColor(pnSelectColor->fillColour());
    if (ColorDialog1->exec() != QDialog::Accepted)
        return;
    const QColor c = ColorDialog1->selectedColor();
    const int32_t value = StoredFromRgb({c.red(), c.green(), c.blue()});
    pnSelectColor->setColourValue(value);
    app_.Skin.sppColorize(value, 0.5, 0);
    raise();
    activateWindow();
}

} // namespace zarelo
