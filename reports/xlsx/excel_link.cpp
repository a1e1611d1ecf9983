#include "excel_link.h"

#include "db/formats.h"
#include "ui/seams.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QHash>
#include <QRandomGenerator>
#include <QStorageInfo>
#include <xlsxwriter.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <map>
#include <optional>
#include <vector>

namespace reports {

namespace {

// A sheet's limits as the spreadsheet programs have them.
constexpr int kMaxRows = 1048576;
constexpr int kMaxColumns = 16384;
constexpr int kMaxText = 32767;
constexpr double kMaxWidth = 255;
// Room a fitted column leaves beside its widest text, in digit widths, for a font that is
// only like the reader's; the file adds the cell margins (5 pixels) to the width itself.
constexpr double kPadding = 0.5;

const QString kSheetCaption = QStringLiteral("Ошибочный номер листа Microsoft Excel");
const QString kCellCaption = QStringLiteral("Ошибка Microsoft Excel");

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// A cell text read as a spreadsheet reads it: an optional sign, digits with "," or "." as the
// separator, an optional exponent ("1,5E-20", as the general format writes it), blanks around.
// Anything else, and numbers beyond a double, stay text.
bool readNumber(const QString &text, double &value)
{
    const QChar *p = text.constData();
    qsizetype from = 0;
    qsizetype end = text.size();
    while (from < end && p[from] == u' ')
        ++from;
    while (end > from && p[end - 1] == u' ')
        --end;
    char buf[64];
    if (from == end || end - from >= qsizetype(sizeof buf))
        return false;
    int n = 0;
    qsizetype k = from;
    if (p[k] == u'+')
        ++k; // from_chars takes no plus sign in front
    else if (p[k] == u'-')
        buf[n++] = p[k++].toLatin1();
    int digits = 0;
    const auto copyDigits = [&](int *count) {
        while (k < end && isDigit(p[k])) {
            buf[n++] = p[k++].toLatin1();
            if (count)
                ++*count;
        }
    };
    copyDigits(&digits);
    if (k < end && (p[k] == u',' || p[k] == u'.')) {
        buf[n++] = '.';
        ++k;
        copyDigits(&digits);
    }
    if (digits == 0)
        return false;
    if (k < end && (p[k] == u'e' || p[k] == u'E')) {
        buf[n++] = 'e';
        ++k;
        if (k < end && (p[k] == u'+' || p[k] == u'-'))
            buf[n++] = p[k++].toLatin1();
        if (k == end || !isDigit(p[k]))
            return false;
        copyDigits(nullptr);
    }
    if (k != end)
        return false;
    const auto result = std::from_chars(buf, buf + n, value);
    return result.ec == std::errc() && result.ptr == buf + n && std::isfinite(value);
}

// Widths as a spreadsheet counts them: in widths of the widest digit of the sheet's font
// (Calibri 11, or its nearest here; the ratio of text to digit carries over between the
// alikes). Measures are kept per text: an export writes the same few numbers many times.
class TextMeasure
{
public:
    double width(const QString &text, bool bold)
    {
        // Whole numbers of up to four digits are most cells of a sheet: kept in a table by
        // value and length ("7" and "07" apart), not hashed.
        const qsizetype n = text.size();
        if (n >= 1 && n <= 4) {
            int index = kDigitsOffset[n];
            int value = 0;
            qsizetype k = 0;
            while (k < n && isDigit(text[k]))
                value = value * 10 + (text[k++].unicode() - u'0');
            if (k == n) {
                std::vector<double> &table = m_digits[bold ? 1 : 0];
                if (table.empty())
                    table.assign(size_t(kDigitsOffset[5]), -1);
                double &w = table[size_t(index + value)];
                if (w < 0)
                    w = std::min(kMaxWidth, measure(text, bold) + kPadding);
                return w;
            }
        }
        QHash<QString, double> &cache = m_cache[bold ? 1 : 0];
        const auto found = cache.constFind(text);
        if (found != cache.constEnd())
            return *found;
        const double w = std::min(kMaxWidth, measure(text, bold) + kPadding);
        if (cache.size() >= kMaxKept)
            cache.clear(); // every text of a long run of exports is not worth its memory
        cache.insert(text, w);
        return w;
    }

    void reset()
    {
        for (int bold = 0; bold < 2; ++bold) {
            m_fonts[bold].reset();
            m_digits[bold].clear();
            m_cache[bold].clear();
        }
    }

private:
    struct Font
    {
        QFontMetricsF metrics;
        double digit;
        std::vector<double> advances; // by letter below kSimpleLetters; -1: not yet measured
    };

    double measure(const QString &text, bool bold)
    {
        // Without a GUI application there are no fonts to ask: count characters.
        if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
            return double(text.size());
        std::optional<Font> &font = m_fonts[bold ? 1 : 0];
        if (!font) {
            QFont f;
            f.setFamilies({QStringLiteral("Calibri"), QStringLiteral("Carlito"),
                           QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
            f.setPixelSize(64); // large, so hinting does not bend the ratios
            f.setBold(bold);
            // Widths are the sum of the letters' advances, so a letter's is the same alone and
            // in a word. Without kerning a text is never narrower than drawn with it (up to
            // half a digit wider for a name like "Г.Г. Тягай"), and cells are commonly drawn
            // without it.
            f.setKerning(false);
            QFontMetricsF metrics(f);
            double digit = 0;
            for (char16_t d = u'0'; d <= u'9'; ++d)
                digit = std::max(digit, metrics.horizontalAdvance(QChar(d)));
            font.emplace(
                Font {metrics, digit > 0 ? digit : 1, std::vector<double>(kSimpleLetters, -1)});
        }
        // Latin, Greek and Cyrillic letters without combining marks stand one beside the other:
        // their advances, kept per letter, add up to the text's width. Anything else (control
        // characters, soft hyphens, marks, other scripts, characters beyond the first plane) is
        // laid out whole.
        double sum = 0;
        for (const QChar c : text) {
            const char16_t u = c.unicode();
            if (u < 0x20 || u == 0x00AD || u >= kSimpleLetters || (u >= 0x0300 && u <= 0x036F)
                || (u >= 0x0483 && u <= 0x0489))
                return font->metrics.horizontalAdvance(text) / font->digit;
            double &a = font->advances[u];
            if (a < 0)
                a = font->metrics.horizontalAdvance(c);
            sum += a;
        }
        return sum / font->digit;
    }

    static constexpr char16_t kSimpleLetters = 0x0530; // up to the end of Cyrillic
    static constexpr qsizetype kMaxKept = 100000;
    // Where the texts of each length start in the digits' table: 10, 100, 1000, 10000 of them.
    static constexpr int kDigitsOffset[6] = {0, 0, 10, 110, 1110, 11110};

    std::vector<double> m_digits[2];
    QHash<QString, double> m_cache[2];
    std::optional<Font> m_fonts[2];
};

// One for the program: measuring a thousand names costs more than writing their sheet, and a
// text's measure does not change between workbooks. The fonts go with the application, before
// the font system they come from.
TextMeasure &textMeasure()
{
    static TextMeasure *measure = [] {
        qAddPostRoutine([] { textMeasure().reset(); });
        return new TextMeasure;
    }();
    return *measure;
}

struct Cell
{
    QString text; // empty: no cell
    double number = 0;
    double width = 0; // the text's measure, in digit widths
    bool isNumber = false;
    bool textFormat = false;
    bool bold = false;
};

struct Column
{
    double widest = 0; // the widest text written in the column
    bool exact = true; // false once the widest may have been overwritten by a narrower one
    double fitted = -1; // the width last fitted to; -1: the sheet's default
};

// File names hold no path separators or characters Windows refuses.
QString fileTitle(const QString &title)
{
    QString t = title.trimmed();
    for (QChar &c : t) {
        if (c < u' ' || QStringView(u"\\/:*?\"<>|").contains(c))
            c = u'_';
    }
    t = t.left(100).trimmed();
    while (t.startsWith(u'.'))
        t.remove(0, 1);
    return t.isEmpty() ? QStringLiteral("Книга") : t;
}

QByteArray nativePath(const QString &path)
{
#ifdef Q_OS_WIN
    return path.toUtf8(); // libxlsxwriter opens UTF-8 names with the wide calls there
#else
    return QFile::encodeName(path);
#endif
}

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

} // namespace

struct ExcelLink::Book
{
    std::map<int, std::vector<Cell>> rows; // by row number; cells by column number - 1
    std::vector<Column> columns;
    bool changed = true; // written since it was last saved
    int lastRow = 0; // the row last written to (0: none yet), and its cells (a map keeps them)
    std::vector<Cell> *lastCells = nullptr;

    void refit(int column)
    {
        Column &col = columns[size_t(column - 1)];
        col.widest = 0;
        for (const auto &[row, cells] : rows) {
            if (int(cells.size()) >= column && !cells[size_t(column - 1)].text.isEmpty())
                col.widest = std::max(col.widest, cells[size_t(column - 1)].width);
        }
        col.exact = true;
    }

    // Writes the workbook with libxlsxwriter; LXW_NO_ERROR when the file is complete.
    lxw_error write(const QString &path) const
    {
        db::useCNumberLocale(); // numbers and widths in the file's own form
        lxw_workbook_options options = {LXW_FALSE, nullptr, LXW_FALSE};
        const QByteArray name = nativePath(path);
        lxw_workbook *book = workbook_new_opt(name.constData(), &options);
        if (!book)
            return LXW_ERROR_MEMORY_MALLOC_FAILED;
        lxw_worksheet *sheet = workbook_add_worksheet(book, "Лист1");
        // Formats by (text format, bold); the plain cell takes the default one.
        lxw_format *formats[2][2] = {{nullptr, nullptr}, {nullptr, nullptr}};
        const auto formatOf = [&](const Cell &cell) -> lxw_format * {
            if (!cell.textFormat && !cell.bold)
                return nullptr;
            lxw_format *&f = formats[cell.textFormat][cell.bold];
            if (!f) {
                f = workbook_add_format(book);
                if (cell.textFormat)
                    format_set_num_format(f, "@");
                if (cell.bold)
                    format_set_bold(f);
            }
            return f;
        };
        lxw_error error = sheet ? LXW_NO_ERROR : LXW_ERROR_MEMORY_MALLOC_FAILED;
        for (auto r = rows.cbegin(); error == LXW_NO_ERROR && r != rows.cend(); ++r) {
            const lxw_row_t row = lxw_row_t(r->first - 1);
            for (size_t c = 0; error == LXW_NO_ERROR && c < r->second.size(); ++c) {
                const Cell &cell = r->second[c];
                if (cell.text.isEmpty())
                    continue;
                if (cell.isNumber)
                    error = worksheet_write_number(sheet, row, lxw_col_t(c), cell.number,
                                                   formatOf(cell));
                else
                    error = worksheet_write_string(sheet, row, lxw_col_t(c),
                                                   cell.text.toUtf8().constData(), formatOf(cell));
            }
        }
        for (size_t c = 0; error == LXW_NO_ERROR && c < columns.size(); ++c) {
            if (columns[c].fitted >= 0)
                error = worksheet_set_column(sheet, lxw_col_t(c), lxw_col_t(c), columns[c].fitted,
                                             nullptr);
        }
        const lxw_error closed = workbook_close(book);
        return error != LXW_NO_ERROR ? error : closed;
    }
};

ExcelLink::ExcelLink(QWidget *window, const QString &title)
    : m_window(window)
    , m_title(fileTitle(title))
{
}

ExcelLink::~ExcelLink() = default;

void ExcelLink::setTitle(const QString &title)
{
    m_title = fileTitle(title);
}

double ExcelLink::columnWidth(int column) const
{
    if (!m_book || column < 1 || column > int(m_book->columns.size()))
        return -1;
    return m_book->columns[size_t(column - 1)].fitted;
}

int ExcelLink::OpenExcel(const QString &fileName)
{
    m_book.reset();
    if (m_savedNote)
        m_savedNote(QString());
    if (!fileName.isEmpty()) {
        ui::showError(m_window,
                      QStringLiteral("Ошибка открытия файла Microsoft Excel.\n"
                                     "Файл «%1» не открыт: программа создаёт только "
                                     "новые книги.")
                          .arg(shown(fileName)));
        return kFailed;
    }
    m_book = std::make_unique<Book>();
    return kOk;
}

int ExcelLink::SetExcelVisible(bool visible)
{
    // Nothing is shown before it is saved, so there is nothing to hide.
    if (!m_book || !visible || !m_book->changed)
        return kOk;
    return save();
}

int ExcelLink::WriteExcelCell(int sheet, int column, int row, const QString &text, bool asText,
                              bool fitColumn, bool bold)
{
    return writeCell(sheet, column, row, text, true, asText, fitColumn, bold);
}

int ExcelLink::WriteExcelValue(int sheet, int column, int row, const QString &text)
{
    return writeCell(sheet, column, row, text, false, false, false, false);
}

int ExcelLink::FitColumns()
{
    if (!m_book)
        return kOk;
    Book &book = *m_book;
    for (int column = 1; column <= int(book.columns.size()); ++column) {
        Column &col = book.columns[size_t(column - 1)];
        if (!col.exact)
            book.refit(column);
        if (col.widest > 0 && col.fitted != col.widest) {
            col.fitted = col.widest;
            book.changed = true;
        }
    }
    return kOk;
}

int ExcelLink::writeCell(int sheet, int column, int row, const QString &text, bool setFormat,
                         bool asText, bool fitColumn, bool bold)
{
    if (text.isEmpty())
        return kOk;
    const auto failure = [&](const QString &caption) {
        ui::showMessage(m_window, caption,
                        QStringLiteral("Ошибка при записи: лист %1, столбец %2, строка %3")
                            .arg(sheet)
                            .arg(column)
                            .arg(row),
                        ui::Icon::Error, QMessageBox::Ok);
        return kFailed;
    };
    // Before OpenExcel there is no sheet at all, as there is none but the first after it.
    if (!m_book || sheet != 1)
        return failure(kSheetCaption);
    if (column < 1 || column > kMaxColumns || row < 1 || row > kMaxRows || text.size() > kMaxText)
        return failure(kCellCaption);

    Book &book = *m_book;
    // Cells come row by row: the row of the last one saves a search of the map.
    if (row != book.lastRow) {
        book.lastCells = &book.rows[row];
        book.lastRow = row;
    }
    std::vector<Cell> &cells = *book.lastCells;
    if (int(book.columns.size()) < column)
        book.columns.resize(size_t(column));
    // A new row is made as wide as the sheet at once, not grown cell by cell.
    if (int(cells.size()) < column)
        cells.resize(book.columns.size());
    Cell &cell = cells[size_t(column - 1)];
    Column &col = book.columns[size_t(column - 1)];

    const bool wasWidest = !cell.text.isEmpty() && cell.width >= col.widest;
    const double oldWidth = cell.width;
    cell.text = text;
    if (setFormat) {
        cell.textFormat = cell.textFormat || asText;
        cell.bold = bold;
    }
    cell.isNumber = !cell.textFormat && readNumber(text, cell.number);
    cell.width = textMeasure().width(text, cell.bold);
    if (wasWidest && cell.width < oldWidth)
        col.exact = false;
    col.widest = std::max(col.widest, cell.width);
    if (fitColumn) {
        if (!col.exact)
            book.refit(column);
        col.fitted = col.widest;
    }
    book.changed = true;
    return kOk;
}

QString ExcelLink::freeName(const QString &folder) const
{
    const QDir dir(folder);
    const QString base = m_title + u' ' + ui::now().toString(QStringLiteral("yyyy-MM-dd HH-mm-ss"));
    for (int n = 1;; ++n) {
        const QString path = dir.filePath(n == 1 ? base + QStringLiteral(".xlsx")
                                                 : QStringLiteral("%1 (%2).xlsx").arg(base).arg(n));
        if (!QFileInfo::exists(path))
            return path;
    }
}

int ExcelLink::save()
{
    const QString folder = ui::spreadsheetFolder();
    QString target = freeName(folder);
    const auto failed = [&](const QString &reason) {
        ui::showError(
            m_window,
            QStringLiteral("Не удалось сохранить файл «%1»: %2.").arg(shown(target), reason));
        return kFailed;
    };
    const QString notWritable
        = QStringLiteral("папка «%1» недоступна для записи").arg(shown(folder));
    if (!QDir().mkpath(folder) || !QFileInfo(folder).isDir())
        return failed(notWritable);

    // Written under a temporary name beside the target and renamed once complete: a failure
    // in the middle leaves nothing that looks like a workbook.
    const QString temp = QDir(folder).filePath(
        QStringLiteral(".~tabel-%1.tmp")
            .arg(QRandomGenerator::global()->generate64(), 16, 16, QLatin1Char('0')));
    errno = 0;
    const lxw_error error = m_book->write(temp);
    const int cause = errno;
    if (error != LXW_NO_ERROR) {
        QFile::remove(temp);
        const QStorageInfo storage(folder);
        const bool full = cause == ENOSPC || cause == EFBIG
#ifdef EDQUOT
            || cause == EDQUOT
#endif
            || (storage.isValid() && storage.bytesAvailable() < 1024 * 1024);
        if (full)
            return failed(QStringLiteral("на диске недостаточно места"));
        if (cause == EACCES || cause == EPERM || cause == EROFS)
            return failed(notWritable);
        return failed(
            QStringLiteral("ошибка записи (%1)").arg(QString::fromUtf8(lxw_strerror(error))));
    }
    // rename() never replaces a file: one that appeared meanwhile moves us to the next name.
    while (!QFile::rename(temp, target)) {
        if (!QFileInfo::exists(target)) {
            QFile::remove(temp);
            return failed(notWritable);
        }
        target = freeName(folder);
    }
    m_lastFile = target;
    m_book->changed = false;
    if (m_savedNote)
        m_savedNote(target);
    if (!ui::openSpreadsheet(target)) {
        ui::showError(m_window,
                      QStringLiteral("Файл «%1» сохранён, но открыть его не удалось: нет "
                                     "программы для файлов Microsoft Excel (.xlsx). Файл лежит "
                                     "в папке «%2».")
                          .arg(shown(target), shown(folder)));
        return kFailed;
    }
    return kOk;
}

} // namespace reports
