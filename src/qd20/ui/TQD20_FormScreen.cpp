// What keeps the ZYL24 window's switch-point editors, their labels, the read-only analog fields
// and the plot's level lines in step with each other. Nothing here talks to the sensor; edits
// only remove the transfer mark of their group.
#include "TQD20_Form.h"

#include "AppState.h"
#include "TCGraphic.h"
#include "TCSchaltpunkt.h"
#include "TCSlide.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

QString TQD20_Form::pointText(const TCSchaltpunkt* editor, float mm) const { return editor->formatValue(mm); }

void TQD20_Form::setEditorScale(TCSchaltpunkt* editor) {
    const float start = m_variant->rangeStart;
    const float end = m_variant->rangeEnd();
    // The editor clamps its points to the scale at every change of an end; moving the end that
    // makes room first keeps them from being squeezed against the old scale.
    if (start >= editor->Stopp()) {
        editor->SetStoppValue(end);
        editor->SetStartValue(start);
    } else {
        editor->SetStartValue(start);
        editor->SetStoppValue(end);
    }
    editor->SetStepValue(0.1f);
    editor->SetDigits(1);
    editor->SetUnit(QStringLiteral("mm"));
}

void TQD20_Form::setLevelsFromEditors() {
    TLevel& levels = Grafik->Schaltpunkt();
    const Qd20Variant& v = variant();
    levels.SetL2(static_cast<float>(ToRaw(SP_Q1->SP1(), v)));
    levels.SetL1(static_cast<float>(ToRaw(SP_Q1->SP2(), v)));
    levels.SetL4(static_cast<float>(ToRaw(SP_Q2->SP1(), v)));
    levels.SetL3(static_cast<float>(ToRaw(SP_Q2->SP2(), v)));
    levels.SetL6(static_cast<float>(ToRaw(SP_QA->SP1(), v)));
    levels.SetL5(static_cast<float>(ToRaw(SP_QA->SP2(), v)));
}

void TQD20_Form::showPointTexts() {
    LQ1_1->setText(pointText(SP_Q1, SP_Q1->SP1()));
    LQ1_2->setText(pointText(SP_Q1, SP_Q1->SP2()));
    LQ2_1->setText(pointText(SP_Q2, SP_Q2->SP1()));
    LQ2_2->setText(pointText(SP_Q2, SP_Q2->SP2()));
    ENull->setText(pointText(SP_QA, SP_QA->SP1()));
    EVoll->setText(pointText(SP_QA, SP_QA->SP2()));
}

// Labels, analog fields and levels from the editors, without touching the transfer marks.
void TQD20_Form::refreshEditors() {
    showPointTexts();
    setLevelsFromEditors();
    Grafik->Paint();
}

// After an edit of a switching output: its labels and plot levels follow, its mark goes.
void TQD20_Form::showOutputPoints(TCSchaltpunkt* editor, QLabel* first, QLabel* second, int firstLevel,
                                  int secondLevel, QPushButton* setButton) {
    first->setText(pointText(editor, editor->SP1()));
    second->setText(pointText(editor, editor->SP2()));
    TLevel& levels = Grafik->Schaltpunkt();
    levels.SetL(firstLevel, static_cast<float>(ToRaw(editor->SP1(), variant())));
    levels.SetL(secondLevel, static_cast<float>(ToRaw(editor->SP2(), variant())));
    Grafik->NewDraw();
    clearMark(setButton);
}

void TQD20_Form::showQ1Points() { showOutputPoints(SP_Q1, LQ1_1, LQ1_2, 2, 1, BSETQ1); }

void TQD20_Form::showQ2Points() { showOutputPoints(SP_Q2, LQ2_1, LQ2_2, 4, 3, BSETQ2); }

void TQD20_Form::showAnalogPoints(bool both) {
    if (both)
        ENull->setText(pointText(SP_QA, SP_QA->SP1()));
    EVoll->setText(pointText(SP_QA, SP_QA->SP2()));
    TLevel& levels = Grafik->Schaltpunkt();
    levels.SetL6(static_cast<float>(ToRaw(SP_QA->SP1(), variant())));
    levels.SetL5(static_cast<float>(ToRaw(SP_QA->SP2(), variant())));
    Grafik->NewDraw();
    clearMark(BAN);
}

// The second point of an output never lies below its first: moving one across the other
// takes the other along.
void TQD20_Form::SP_Q1ChangeSP1() {
    if (SP_Q1->SP2() < SP_Q1->SP1())
        SP_Q1->SetPos2Value(SP_Q1->SP1());
    showQ1Points();
}

void TQD20_Form::SP_Q1ChangeSP2() {
    if (SP_Q1->SP2() < SP_Q1->SP1())
        SP_Q1->SetPos1Value(SP_Q1->SP2());
    showQ1Points();
}

void TQD20_Form::SP_Q2ChangeSP1() {
    if (SP_Q2->SP2() < SP_Q2->SP1())
        SP_Q2->SetPos2Value(SP_Q2->SP1());
    showQ2Points();
}

void TQD20_Form::SP_Q2ChangeSP2() {
    if (SP_Q2->SP2() < SP_Q2->SP1())
        SP_Q2->SetPos1Value(SP_Q2->SP2());
    showQ2Points();
}

// The analog characteristic may fall as well as rise: no order between its points.
void TQD20_Form::SP_QAChangeSP1() { showAnalogPoints(true); }

void TQD20_Form::SP_QAChangeSP2() { showAnalogPoints(false); }

// A level line dragged in the plot moves its editor point. Only levels that no longer match
// their point are taken over: converting every level back would shift the untouched points by
// the rounding of the 12-bit scale. The editors' own handlers stay detached meanwhile, so the
// transfer marks remain as they are.
void TQD20_Form::GrafikChangeLevel() {
    detachEditorHandlers();
    const TLevel& levels = Grafik->Schaltpunkt();
    const Qd20Variant& v = variant();
    const double end = v.rangeStartInt + v.rangeSpanInt;
    auto follow = [&](TCSchaltpunkt* editor, bool first, int level) {
        const float current = first ? editor->SP1() : editor->SP2();
        const float value = levels.L(level);
        if (value == static_cast<float>(ToRaw(current, v)))
            return;
        const auto mm = static_cast<float>(end - value / 4095.0 * v.rangeSpanInt);
        if (first)
            editor->SetPos1Value(mm);
        else
            editor->SetPos2Value(mm);
    };
    follow(SP_Q1, true, 2);
    follow(SP_Q1, false, 1);
    follow(SP_Q2, true, 4);
    follow(SP_Q2, false, 3);
    follow(SP_QA, true, 6);
    follow(SP_QA, false, 5);
    showPointTexts();
    attachEditorHandlers();
}

void TQD20_Form::Refresh1Click() {
    setLevelsFromEditors();
    Grafik->Paint();
}

// Output functions from "trigger" on have no switch point: their editor is hidden.
void TQD20_Form::updateOutputFunction(bool q2) {
    const int p1 = FktQ1Slide->Position();
    const int p2 = FktQ2Slide->Position();
    if (p1 >= 2 && p2 >= 2) {
        SP_Q1->SetVisible(false);
        SP_Q2->SetVisible(false);
        TSP1->hide();
        TSP2->hide();
    } else if (!q2) {
        if (p1 >= 2) {
            SP_Q1->SetVisible(false);
            TSP1->hide();
        } else {
            SP_Q1->SetWindow(p1 == 1);
            SP_Q1->SetVisible(true);
            TSP1->show();
        }
    } else if (p2 >= 2) {
        SP_Q2->SetVisible(false);
        TSP2->hide();
        Grafik->Schaltpunkt().SetL3kleinerL4(true);
    } else {
        SP_Q2->SetWindow(p2 == 1);
        SP_Q2->SetVisible(true);
        TSP2->show();
        P_draw_Q20->show();
    }
    clearMark(q2 ? BSETQ2 : BSETQ1);
}

void TQD20_Form::FktQ1SlideChange() { updateOutputFunction(false); }

void TQD20_Form::FktQ2SlideChange() { updateOutputFunction(true); }

// Position 0 "Öffner" is normally closed; the editor draws the characteristic accordingly.
void TQD20_Form::OSQ1_SlideChange() {
    SP_Q1->SetNormOpen(OSQ1_Slide->Position() != 0);
    clearMark(BSETQ1);
}

void TQD20_Form::OSQ2_SlideChange() {
    SP_Q2->SetNormOpen(OSQ2_Slide->Position() != 0);
    clearMark(BSETQ2);
}

void TQD20_Form::IVQ1SlideChange() { clearMark(BSETQ1); }

void TQD20_Form::IVQ2SlideChange() { clearMark(BSETQ2); }

// Choosing an address the search found brings back the variant found there.
void TQD20_Form::Slave_AdrChange() {
    bool ok = false;
    const int address = Slave_Adr->currentText().trimmed().toInt(&ok);
    const bool inTable = ok && address >= 0 && address < static_cast<int>(FoundTypes.size());
    m_app.SensorType = inTable ? FoundTypes[static_cast<std::size_t>(address)] : 0;
    if (VariantForSensorType(m_app.SensorType))
        ApplySensorVariant();
}

Qd20Settings TQD20_Form::settingsFromControls() const {
    Qd20Settings s;
    s.SwitchPointQ1A = SP_Q1->SP1();
    s.SwitchPointQ1B = SP_Q1->SP2();
    s.SwitchPointQ2A = SP_Q2->SP1();
    s.SwitchPointQ2B = SP_Q2->SP2();
    s.AnalogPoint1 = SP_QA->SP1();
    s.AnalogPoint2 = SP_QA->SP2();
    s.fktQ1 = FktQ1Slide->Position();
    s.osQ1 = OSQ1_Slide->Position();
    s.ivQ1 = IVQ1Slide->Position();
    s.setQ1 = SetQ1Slide->Position();
    s.fktQ2 = FktQ2Slide->Position();
    s.osQ2 = OSQ2_Slide->Position();
    s.ivQ2 = IVQ2Slide->Position();
    s.tv = TVSlide->Position();
    s.hold = Hold_Slide->Position();
    s.bw = BWSlide->Position();
    s.lowlight = CBlowlight->isChecked();
    return s;
}

void TQD20_Form::applySettingsToControls(const Qd20Settings& s) {
    FktQ1Slide->SetPosValue(s.fktQ1);
    OSQ1_Slide->SetPosValue(s.osQ1);
    IVQ1Slide->SetPosValue(s.ivQ1);
    SetQ1Slide->SetPosValue(s.setQ1);
    FktQ2Slide->SetPosValue(s.fktQ2);
    OSQ2_Slide->SetPosValue(s.osQ2);
    IVQ2Slide->SetPosValue(s.ivQ2);
    TVSlide->SetPosValue(s.tv);
    Hold_Slide->SetPosValue(s.hold);
    BWSlide->SetPosValue(s.bw);
    CBlowlight->setChecked(s.lowlight);
    // Window mode and output logic first, so the points land in an editor of the right kind.
    FktQ1SlideChange();
    FktQ2SlideChange();
    OSQ1_SlideChange();
    OSQ2_SlideChange();
    SP_Q1->SetPos1Value(s.SwitchPointQ1A);
    SP_Q1->SetPos2Value(s.SwitchPointQ1B);
    SP_Q2->SetPos1Value(s.SwitchPointQ2A);
    SP_Q2->SetPos2Value(s.SwitchPointQ2B);
    SP_QA->SetPos1Value(s.AnalogPoint1);
    SP_QA->SetPos2Value(s.AnalogPoint2);
}
