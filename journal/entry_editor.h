#pragma once
// TForm11: the journal entry editor, one shift record in add, change or view mode.

#include "core/chooser_targets.h"
#include "db/dataset.h"
#include "ui/window.h"

#include <optional>

class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
namespace ui {
class DataGrid;
class LookupBox;
} // namespace ui

class TForm11 : public ui::Window
{
    Q_OBJECT
public:
    explicit TForm11(QWidget *parent = nullptr);

    // The openings the journal calls; each ends with the window shown modally.
    void openForAdding();
    void openForChanging();
    void openForViewing();

    // The worker the personnel list hands over when the user picks one (its chosen flag set).
    WorkerTarget chosenWorker;
    // The operation the operation chooser hands over (process list, then its operations).
    OperationTarget chosenOperation;
    // How the editor opens its choosers: the personnel list for the record's worker and for a
    // brigade member (which leaves "Добавить" as it is), the process list for the operation.
    static constexpr ChooserOpening kWorkerChooser {};
    static constexpr ChooserOpening kBrigadeChooser {.hideAdd = false};
    static constexpr ChooserOpening kOperationChooser {.plainChooseAfter = true};

    // Editor state: what the record is written with.
    int recordId = 0;
    int workerNumber = 0;
    int personKey = 0;
    int operationId = 0;
    int itemId = 0;
    int productId = 0;
    int colourId = 0;
    int requisitionId = 0;
    int lineId = 0;
    double finalPrice = 0;
    double basePrice = 0; // nothing sets it: the field shows 0
    // Upper bound of the quantity; none for a record without a requisition line.
    std::optional<double> requiredQuantity;

    // Header group "Закрыто мастером"
    QGroupBox *GroupBox1;
    QLabel *Label13; // "Заявка" or "Продукция"
    ui::LookupBox *LCB_id_doc;
    ui::LookupBox *LCB_id_doc_item;
    QLineEdit *Edit1; // worker
    QPushButton *Button3;
    QLineEdit *Edit2; // operation
    QPushButton *Button4;
    QLineEdit *Edit3; // quantity
    QLineEdit *Edit6; // hours
    QDateEdit *DTimeP;
    QLineEdit *Edit4; // rejects
    QLineEdit *Edit7; // base price
    QLineEdit *Edit8; // final price
    QLineEdit *Edit5; // sum
    QLabel *Label10; // record id
    // Work mode: "По ЗВП" (0) or "По ТМЦ " (1)
    QGroupBox *RG1;
    QRadioButton *RG1Item0, *RG1Item1;
    int workMode() const;
    QPushButton *Button1; // "Запись"
    QPushButton *Button2; // "Выход"
    // Material list
    ui::DataGrid *DBGrid1;
    QPushButton *Button5, *Button6;
    // Brigade list
    QLabel *Label6;
    ui::DataGrid *DBGrid2;
    QPushButton *Button7, *Button8;
    QPushButton *Button9; // "Сохранить"

    // Lookup lists and the record's lists.
    db::Dataset v_mnf_requisition, v_mnf_requisition_item, id_gds, get_doc_by_gds;
    db::Dataset smena_gds_use; // the record's material rows (parameter id_smena)
    db::Dataset fio_smena_gds; // the record's brigade (parameter s_id)

    // The material list's row number kept over a reload.
    void reloadMaterials();

public Q_SLOTS:
    void RG1Click();
    void LCB_id_docCloseUp();
    void LCB_id_doc_itemCloseUp();
    void Button3Click();
    void Button4Click();
    void Edit3Exit();
    void Edit4Exit();
    void Edit6Exit();
    void Button1Click();
    void Button2Click();
    void Button5Click();
    void Button6Click();
    void Button7Click();
    void Button8Click();
    void Button9Click();

    // Leaving (Выход, Esc, the close box) with brigade members not yet divided asks first.
    void reject() override;

protected:
    void done(int result) override;
    void wheelEvent(QWheelEvent *event) override;
    bool eventFilter(QObject *o, QEvent *e) override;

private:
    void FormClose();
    void setRequisitionLists();
    void fillFromJournalRow();
    void applyPaintRule();
    void setEnabledAll(std::initializer_list<QWidget *> widgets, bool on);
    void save();
    bool divide();
    // A person chosen from the personnel list joins the record's brigade, once and never the
    // record's own worker.
    void addBrigadeMember();
};
