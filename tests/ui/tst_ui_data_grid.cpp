// The data grid over a real query: selection of several rows in the order they were picked,
// title clicks by column number, the current row shared with the dataset, the cell styler.

#include "db/connection.h"
#include "db/dataset.h"
#include "tests/support/fake_seams.h"
#include "tests/support/test_db.h"
#include "ui/data_grid.h"

#include <QApplication>
#include <QHeaderView>
#include <QSignalSpy>
#include <QTest>
#include <memory>

using Bookmarks = QList<db::Dataset::Bookmark>;

class TestUiDataGrid : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void columnsAndTitles();
    void selectionOrder();
    void selectionSurvivesSortNotReopen();
    void cursorMovesKeepSelection();
    void titleClicksCountHiddenColumns_data();
    void titleClicksCountHiddenColumns();
    void currentRowFollowsBothWays();
    void doubleClick();
    void stylerColoursOkColumn();
    void switchingDatasets();

private:
    QPoint cellCentre(int row, int column = 0) const;
    void click(int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    Bookmarks rowsToBookmarks(std::initializer_list<int> rows) const;
    QImage grabGrid();

    std::unique_ptr<testing::TestDatabase> m_db;
    std::unique_ptr<db::Connection> m_connection;
    std::unique_ptr<db::Dataset> m_ds;
    std::unique_ptr<ui::DataGrid> m_grid;
};

void TestUiDataGrid::initTestCase()
{
    m_db = std::make_unique<testing::TestDatabase>();
    m_db->exec(QStringLiteral(
        "create table journal (id integer primary key, fio text, summa numeric(10,2), ok text);"
        "insert into journal values"
        " (1, 'Иванов И.И.', 10.5, 'ok'), (2, 'Петров П.П.', 20, 'no'),"
        " (3, 'Сидоров С.С.', 5.25, 'да'), (4, 'Алексеев А.А.', 7, 'no'),"
        " (5, 'Борисов Б.Б.', 0, 'ok')"));
    m_connection = std::make_unique<db::Connection>();
    m_connection->open(m_db->connectionString());
}

void TestUiDataGrid::init()
{
    m_ds = std::make_unique<db::Dataset>(m_connection.get());
    m_ds->setSql(QStringList {QStringLiteral("select id, fio, summa, ok from journal"),
                              QStringLiteral("order by id")});
    m_ds->open();
    m_grid = std::make_unique<ui::DataGrid>();
    m_grid->resize(600, 300);
    m_grid->setColumns({{"fio", QStringLiteral("Фамилия И.О."), Qt::AlignLeft, true},
                        {"id", QStringLiteral("Код"), Qt::AlignRight, false},
                        {"summa", QStringLiteral("Итого (р.)"), Qt::AlignRight, true},
                        {"ok", QStringLiteral("OK"), Qt::AlignCenter, true}});
    m_grid->setDataset(m_ds.get());
    m_grid->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_grid.get()));
}

void TestUiDataGrid::cleanup()
{
    m_grid.reset();
    m_ds.reset();
}

void TestUiDataGrid::cleanupTestCase()
{
    m_connection.reset();
    m_db.reset();
}

QPoint TestUiDataGrid::cellCentre(int row, int column) const
{
    return m_grid->visualRect(m_grid->gridModel()->index(row, column)).center();
}

void TestUiDataGrid::click(int row, Qt::KeyboardModifiers modifiers)
{
    QTest::mouseClick(m_grid->viewport(), Qt::LeftButton, modifiers, cellCentre(row));
}

Bookmarks TestUiDataGrid::rowsToBookmarks(std::initializer_list<int> rows) const
{
    Bookmarks list;
    for (int row : rows)
        list << m_ds->bookmarkAt(row);
    return list;
}

QImage TestUiDataGrid::grabGrid()
{
    return m_grid->viewport()->grab().toImage();
}

void TestUiDataGrid::columnsAndTitles()
{
    QCOMPARE(m_grid->gridModel()->rowCount(), 5);
    QVERIFY(m_grid->isColumnHidden(1));
    QVERIFY(!m_grid->isColumnHidden(0) && !m_grid->isColumnHidden(2));
    QVERIFY(!m_grid->verticalHeader()->isVisible());
    QVERIFY(m_grid->horizontalHeader()->font().bold());
    QCOMPARE(m_grid->editTriggers(), QAbstractItemView::NoEditTriggers);
    // A reopened dataset keeps the hidden column hidden.
    m_ds->close();
    m_ds->open();
    QVERIFY(m_grid->isColumnHidden(1));
    QCOMPARE(m_grid->gridModel()->rowCount(), 5);
}

void TestUiDataGrid::selectionOrder()
{
    click(3);
    click(0, Qt::ControlModifier);
    click(2, Qt::ControlModifier);
    QCOMPARE(m_grid->selectedBookmarks(), rowsToBookmarks({3, 0, 2}));
    // Ctrl+click on a selected row takes it out, the others keep their order.
    click(0, Qt::ControlModifier);
    QCOMPARE(m_grid->selectedBookmarks(), rowsToBookmarks({3, 2}));
    // A plain click starts over; Shift extends from there.
    click(1);
    click(3, Qt::ShiftModifier);
    QCOMPARE(m_grid->selectedBookmarks(), rowsToBookmarks({1, 2, 3}));

    m_grid->clearRowSelection();
    QVERIFY(m_grid->selectedBookmarks().isEmpty());
    m_grid->selectBookmark(m_ds->bookmarkAt(4));
    m_grid->selectBookmark(m_ds->bookmarkAt(1));
    QCOMPARE(m_grid->selectedBookmarks(), rowsToBookmarks({4, 1}));
    QVERIFY(m_grid->selectionModel()->isRowSelected(4));
    QVERIFY(m_grid->selectionModel()->isRowSelected(1));
}

void TestUiDataGrid::selectionSurvivesSortNotReopen()
{
    click(4); // Борисов
    click(1, Qt::ControlModifier); // Петров
    const Bookmarks picked = m_grid->selectedBookmarks();
    QCOMPARE(picked.size(), 2);

    m_ds->setSort(QStringLiteral("fio DESC"));
    QCOMPARE(m_grid->selectedBookmarks(), picked);
    for (db::Dataset::Bookmark b : picked)
        QVERIFY(m_grid->selectionModel()->isRowSelected(m_ds->visibleRowOf(b)));
    QCOMPARE(m_grid->selectionModel()->selectedRows().size(), 2);

    // A filter that hides one of them drops it from the selection.
    m_ds->setFilter(QStringLiteral("ok='ok'"));
    m_ds->setFiltered(true);
    QCOMPARE(m_grid->selectedBookmarks(), Bookmarks {picked.first()});

    m_ds->setFiltered(false);
    m_ds->close();
    QVERIFY(m_grid->selectedBookmarks().isEmpty());
    m_ds->open();
    QVERIFY(m_grid->selectedBookmarks().isEmpty());
    QVERIFY(m_grid->selectionModel()->selectedRows().isEmpty());
    QCOMPARE(m_grid->gridModel()->rowCount(), 5);
}

void TestUiDataGrid::cursorMovesKeepSelection()
{
    click(0);
    click(2, Qt::ControlModifier);
    click(4, Qt::ControlModifier);
    const Bookmarks picked = m_grid->selectedBookmarks();
    // Walking the selection by bookmark, as acceptance does, leaves it whole.
    QStringList names;
    for (db::Dataset::Bookmark b : picked) {
        m_ds->gotoBookmark(b);
        names << m_ds->asString(QStringLiteral("fio"));
    }
    QCOMPARE(names,
             QStringList({QStringLiteral("Иванов И.И."), QStringLiteral("Сидоров С.С."),
                          QStringLiteral("Борисов Б.Б.")}));
    m_ds->first();
    m_ds->next();
    QCOMPARE(m_grid->currentIndex().row(), 1);
    QCOMPARE(m_grid->selectedBookmarks(), picked);
    QCOMPARE(m_grid->selectionModel()->selectedRows().size(), 3);
}

void TestUiDataGrid::titleClicksCountHiddenColumns_data()
{
    QTest::addColumn<int>("section");
    QTest::newRow("first") << 0;
    QTest::newRow("after the hidden one") << 2;
    QTest::newRow("last") << 3;
}

void TestUiDataGrid::titleClicksCountHiddenColumns()
{
    QFETCH(int, section);
    click(1);
    QSignalSpy spy(m_grid.get(), &ui::DataGrid::titleClicked);
    QHeaderView *titles = m_grid->horizontalHeader();
    const QPoint at(titles->sectionViewportPosition(section) + titles->sectionSize(section) / 2,
                    titles->height() / 2);
    QTest::mouseClick(titles->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QCOMPARE(spy.size(), 1);
    QCOMPARE(spy.first().first().toInt(), section);
    // A title click neither sorts nor touches the rows picked.
    QCOMPARE(m_ds->sort(), QString());
    QCOMPARE(m_grid->selectedBookmarks(), rowsToBookmarks({1}));
}

void TestUiDataGrid::currentRowFollowsBothWays()
{
    click(2);
    QCOMPARE(m_ds->recNo(), 3);
    QCOMPARE(m_ds->asString(QStringLiteral("fio")), QStringLiteral("Сидоров С.С."));
    QTest::keyClick(m_grid->viewport(), Qt::Key_Down);
    QCOMPARE(m_ds->recNo(), 4);

    m_ds->setRecNo(5);
    QCOMPARE(m_grid->currentIndex().row(), 4);
    m_ds->first();
    QCOMPARE(m_grid->currentIndex().row(), 0);

    // After a sort the grid shows the dataset's row where the dataset put it.
    m_ds->locate(QStringLiteral("fio"), QStringLiteral("Петров П.П."));
    m_ds->setSort(QStringLiteral("fio"));
    QCOMPARE(m_grid->currentIndex().row(), m_ds->recNo() - 1);
    QCOMPARE(m_grid->gridModel()->index(m_grid->currentIndex().row(), 0).data().toString(),
             m_ds->asString(QStringLiteral("fio")));

    // Reopened, the grid and the dataset agree on the first row.
    m_ds->close();
    m_ds->open();
    QCOMPARE(m_grid->currentIndex().row(), m_ds->recNo() - 1);
}

void TestUiDataGrid::doubleClick()
{
    QSignalSpy spy(m_grid.get(), &ui::DataGrid::rowDoubleClicked);
    QTest::mouseDClick(m_grid->viewport(), Qt::LeftButton, Qt::NoModifier, cellCentre(3));
    QCOMPARE(spy.size(), 1);
    QCOMPARE(m_ds->recNo(), 4);

    // An empty journal still reports the double-click.
    m_ds->setFilter(QStringLiteral("fio='Нет такого'"));
    m_ds->setFiltered(true);
    QCOMPARE(m_grid->gridModel()->rowCount(), 0);
    QTest::mouseDClick(m_grid->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(20, 20));
    QCOMPARE(spy.size(), 2);
}

namespace {

int countPixels(const QImage &image, const QRect &rect, const std::function<bool(QColor)> &test)
{
    int n = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x) {
            if (test(image.pixelColor(x, y)))
                ++n;
        }
    }
    return n;
}

bool greenish(QColor c)
{
    return c.green() > 90 && c.red() < 60 && c.blue() < 60;
}

bool reddish(QColor c)
{
    return c.red() > 180 && c.green() < 80 && c.blue() < 80;
}

} // namespace

void TestUiDataGrid::stylerColoursOkColumn()
{
    QSet<QString> fields;
    QSet<int> okRows;
    m_grid->setCellStyler([&](const QString &field, int row, QFont &font, QColor &colour) {
        fields.insert(field);
        if (field != QLatin1String("ok"))
            return;
        okRows.insert(row);
        const QString ok = m_ds->valueAt(row, m_ds->fieldIndex(field)).toString();
        font.setBold(true);
        colour = ok == QStringLiteral("ok") || ok == QStringLiteral("да") ? QColor(0, 128, 0)
                                                                          : QColor(255, 0, 0);
    });
    // Platforms grey the selection of an inactive window; the grid must not.
    QPalette palette = m_grid->palette();
    palette.setColor(QPalette::Inactive, QPalette::Highlight, QColor(200, 200, 200));
    m_grid->setPalette(palette);
    click(1); // Петров, "no": selected
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    QVERIFY(!m_grid->isActiveWindow());

    const QImage image = grabGrid();
    QCOMPARE(fields, QSet<QString>({"fio", "summa", "ok"})); // the hidden column is not drawn
    QCOMPARE(okRows, QSet<int>({0, 1, 2, 3, 4}));

    const auto rect = [&](int row, int column) {
        return m_grid->visualRect(m_grid->gridModel()->index(row, column));
    };
    // "ok" and "да" in green, the others in red; other columns untouched.
    QVERIFY(countPixels(image, rect(0, 3), greenish) > 0);
    QVERIFY(countPixels(image, rect(2, 3), greenish) > 0);
    QVERIFY(countPixels(image, rect(3, 3), reddish) > 0);
    QCOMPARE(countPixels(image, rect(3, 3), greenish), 0);
    QCOMPARE(countPixels(image, rect(0, 0), greenish), 0);
    QCOMPARE(countPixels(image, rect(0, 0), reddish), 0);

    // The selected row keeps its highlight without focus, also under the coloured text.
    const QColor highlight = m_grid->palette().color(QPalette::Active, QPalette::Highlight);
    const auto isHighlight = [&](QColor c) { return c.rgb() == highlight.rgb(); };
    const QRect okCell = rect(1, 3);
    QVERIFY(countPixels(image, okCell, isHighlight) > okCell.width() * okCell.height() / 2);
    QVERIFY(countPixels(image, okCell, reddish) > 0);
    const QRect fioCell = rect(1, 0);
    QVERIFY(countPixels(image, fioCell, isHighlight) > fioCell.width() * fioCell.height() / 2);
    QCOMPARE(countPixels(image, rect(0, 0), isHighlight), 0);
}

void TestUiDataGrid::switchingDatasets()
{
    db::Dataset other(m_connection.get());
    other.setSql(QStringLiteral("select id, fio, summa, ok from journal where id > 3"));
    other.open();
    click(0);
    click(1, Qt::ControlModifier);

    // The grid moves to another shift's dataset: its rows, no selection from the old one.
    m_grid->setDataset(&other);
    QCOMPARE(m_grid->gridModel()->rowCount(), 2);
    QVERIFY(m_grid->selectedBookmarks().isEmpty());
    click(1);
    QCOMPARE(other.recNo(), 2);
    const int before = m_ds->recNo();
    m_ds->setRecNo(before == 5 ? 4 : 5); // the old dataset no longer drives the grid
    QCOMPARE(m_grid->currentIndex().row(), 1);

    m_grid->setDataset(m_ds.get());
    QCOMPARE(m_grid->gridModel()->rowCount(), 5);
    QCOMPARE(m_grid->currentIndex().row(), m_ds->recNo() - 1);
    QVERIFY(m_grid->isColumnHidden(1));
}

QTEST_MAIN(TestUiDataGrid)
#include "tst_ui_data_grid.moc"
