#pragma once
// TForm24: the material of a shift record.

#include "db/dataset.h"
#include "ui/window.h"

#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;
namespace ui {
class LookupBox;
}

class TForm24 : public ui::Window
{
    Q_OBJECT
public:
    explicit TForm24(QWidget *parent = nullptr);

    ui::LookupBox *LCB_id_gds_use;
    QLineEdit *Edit7; // quantity used
    QLabel *DBText1; // free remainder
    QLabel *DBText2; // remainder reserved for the record's requisition
    QPushButton *Button1; // "Запись"
    QPushButton *Button2; // "Отмена"

    // The goods the record may consume (parameter id_smena), the two remainders, what the record
    // has used of the chosen goods, and the norm of the chosen goods.
    db::Dataset v_cmn_gds_in, v_id_cons_use, v_id_cons_use1, sum_smena_gds_use, operation;

    // State of the last goods choice and write.
    int goodsId = 0;
    double alreadyUsed = 0;
    double allowedQuantity = 0;

    // Transaction-scoped advisory lock class of the material writes (class, goods id).
    static int batchLockClass() { return 0x47445355; }

public Q_SLOTS:
    void FormActivate();
    void LCB_id_gds_useCloseUp();
    void Button1Click(); // "Запись"

protected:
    void showEvent(QShowEvent *e) override;
    void done(int result) override;
    bool eventFilter(QObject *o, QEvent *e) override;

private:
    void FormClose();
    // The typed quantity of the chosen goods written as the record's use, within what the line
    // and the batch still hold (the question offers the rest); the window closes once written.
    void recordUse();
    void readUsed();
    double batchTotal();
    // Writes the row when the batch still holds the quantity, all under the goods' lock;
    // otherwise writes nothing and returns the batch total read under the lock.
    std::optional<double> writeIfFits(double quantity);
};
