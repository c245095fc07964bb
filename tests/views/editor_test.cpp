// The bill editor and frame bases: command states by edit mode and action filters, the
// save question, reuse of a fresh editor, body column bindings and the host interfaces.
#include "viewfixture.h"

#include "views/infoedit.h"
#include "views/infoframe.h"

#include "db/sqlrun.h"

#include <gtest/gtest.h>

using namespace kx;
using namespace kx::test;

namespace {

// An item editor that opens the head record and records how it was opened.
class TItemEditor : public TCustomInfoEdit {
public:
    using TCustomInfoEdit::BindBodyColumn;
    using TCustomInfoEdit::GetBodyColumn;
    using TCustomInfoEdit::TCustomInfoEdit;

    QStringList Opened;

    void OpenData(const QString& AKeyValues, TEditMode AMode) override
    {
        Opened << QStringLiteral("%1|%2").arg(AKeyValues.trimmed()).arg(AMode);
        KeyValues = AKeyValues;
        EditMode = AMode;
        Modified = false;
        qryMain.Close();
        if (!KeyValues.isEmpty()) {
            EXPECT_TRUE(RunSQL(qryMain, BuildEditSQL(), true));
        }
    }
};

TCommandState StateOf(IInfoEdit& editor, int command)
{
    TCommandState state = 99;
    EXPECT_TRUE(editor.QueryCommandState(command, state)) << command;
    return state;
}

} // namespace

class Editors : public TViewTest {
public:
    static void SetUpTestSuite() { TViewTest::SetUpTestSuite(); }
};

TEST_F(Editors, CommandsFollowTheEditModeAndTheHeadsActionColumns)
{
    TItemEditor editor(nullptr, ItemsDef());
    const int cmdNew = cmdAction, cmdEdit = cmdAction + 1, cmdDisable = cmdAction + 2;
    const struct {
        QString Keys;
        TEditMode Mode;
        bool Modified;
        TCommandState New, Edit, Disable, Save, Cancel, Refresh;
    } cases[] = {
        {QStringLiteral("ItmID='I1'\r\n"), emNone, false, csEnabled, csEnabled, csEnabled, 0, 0, csEnabled},
        {QStringLiteral("ItmID='I3'\r\n"), emNone, false, csEnabled, csEnabled, 0, 0, 0, csEnabled},   // a disabled item
        {QStringLiteral("ItmID='I1'\r\n"), emModify, true, csEnabled, 0, 0, csEnabled, csEnabled, 0},
        {QString(), emNew, false, csEnabled, 0, 0, 0, 0, 0},            // never saved: nothing to go back to
        {QString(), emNew, true, csEnabled, 0, 0, csEnabled, 0, 0},
    };
    for (const auto& c : cases) {
        editor.OpenData(c.Keys, c.Mode);
        editor.Modified = c.Modified;
        const std::string label = c.Keys.toStdString() + " mode " + std::to_string(c.Mode);
        EXPECT_EQ(StateOf(editor, cmdNew), c.New) << label;
        EXPECT_EQ(StateOf(editor, cmdEdit), c.Edit) << label;
        EXPECT_EQ(StateOf(editor, cmdDisable), c.Disable) << label;
        EXPECT_EQ(StateOf(editor, cmdSave), c.Save) << label;
        EXPECT_EQ(StateOf(editor, cmdCancel), c.Cancel) << label;
        EXPECT_EQ(StateOf(editor, cmdRefresh), c.Refresh) << label;
        EXPECT_EQ(StateOf(editor, cmdEditorPrior), 0u);
    }
    TCommandState state = 0;
    EXPECT_FALSE(editor.QueryCommandState(cmdAction + 3, state));
    EXPECT_FALSE(editor.QueryCommandState(cmdExport, state));
    EXPECT_EQ(editor.qryMain.RecordCount(), 0);
}

TEST_F(Editors, UnsavedChangesAreAskedForBeforeANewBillOrClosing)
{
    const QString question = QStringLiteral("您将退出[物料]的当前编辑状态, 对未保存过的内容进行保存?");
    TItemEditor editor(nullptr, ItemsDef());
    {   // Viewing: closing asks nothing.
        TScriptedMessages script;
        editor.OpenData(QStringLiteral("ItmID='I2'"), emNone);
        EXPECT_TRUE(editor.QueryClose());
        EXPECT_EQ(script.Count(), 0);
    }
    editor.OpenData(QStringLiteral("ItmID='I2'"), emModify);
    editor.Modified = true;
    {
        TScriptedMessages script({mrCancel, mrCancel});
        EXPECT_FALSE(editor.QueryClose());
        EXPECT_TRUE(editor.ExecCommand(cmdAction));
        EXPECT_EQ(script.Texts(), (QStringList{question, question}));
        EXPECT_EQ(editor.Opened.last(), QStringLiteral("ItmID='I2'|2"));
    }
    {   // The base saves nothing: Yes keeps the editor where it is.
        TScriptedMessages script({mrYes});
        EXPECT_FALSE(editor.QueryClose());
    }
    {
        TScriptedMessages script({mrNo});
        EXPECT_TRUE(editor.ExecCommand(cmdAction));
        EXPECT_EQ(editor.Opened.last(), QStringLiteral("|1"));
        EXPECT_TRUE(editor.DataInEdit(QString()));               // a fresh new bill is reused
        EXPECT_FALSE(editor.DataInEdit(QStringLiteral("ItmID='I1'")));
        editor.Modified = true;
        EXPECT_FALSE(editor.DataInEdit(QString()));
    }
}

TEST_F(Editors, BodyColumnsAreBoundOnceWithTheDefinitionsCaption)
{
    TItemEditor editor(nullptr, ItemsDef());
    TViewColumn* number = editor.BodyColumns.Add(QString(), QString());
    TViewColumn* other = editor.BodyColumns.Add(QString(), QString());
    TViewColumn* unknown = editor.BodyColumns.Add(QString(), QStringLiteral("备注"));
    editor.BindBodyColumn(number, QStringLiteral("ItmNo"));
    editor.BindBodyColumn(other, QStringLiteral("ItmNo"));
    editor.BindBodyColumn(unknown, QStringLiteral("Remark"));
    EXPECT_EQ(editor.GetBodyColumn(QStringLiteral("itmno")), number);
    EXPECT_EQ(number->Caption, QStringLiteral("编号"));
    EXPECT_TRUE(other->FieldName.isEmpty());
    EXPECT_FALSE(unknown->Visible);

    void* handle = nullptr;
    EXPECT_EQ(editor.QueryInterface(IID_IWidgetHandle, &handle), S_OK);
    EXPECT_EQ(handle, static_cast<QWidget*>(&editor));
    EXPECT_EQ(editor.GetCaption(), QStringLiteral("物料"));
}

TEST_F(Editors, FramesAnswerNeutrallyAndViewsHandTheirWidgetToTheHost)
{
    TCustomInfoFrame frame;
    TCommandState state = 0;
    EXPECT_TRUE(frame.QueryClose());
    EXPECT_FALSE(frame.QueryCommandState(cmdRefresh, state));
    EXPECT_FALSE(frame.ExecCommand(cmdRefresh));
    EXPECT_TRUE(frame.objectName().startsWith(QStringLiteral("CustomInfoFrame")));
    void* obj = nullptr;
    EXPECT_EQ(frame.QueryInterface(IID_IInfoView, &obj), E_NOINTERFACE);
    EXPECT_EQ(obj, nullptr);

    auto view = OpenView(ItemsDef());
    IInfoView* asView = view.get();
    EXPECT_EQ(asView->QueryInterface(IID_IWidgetHandle, &obj), S_OK);
    EXPECT_EQ(obj, static_cast<QWidget*>(view.get()));
    EXPECT_EQ(asView->QueryInterface(IID_IInfoView, &obj), S_OK);
    EXPECT_EQ(obj, asView);
    EXPECT_EQ(asView->GetRelationView(QString()), asView);
    EXPECT_EQ(asView->GetRelationView(QStringLiteral("Items")), nullptr);
}
