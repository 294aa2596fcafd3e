// Writes an .xlsx workbook with libxlsxwriter for the tests, in a process of its
// own: libxlsxwriter and QuaZip both carry minizip, and one process cannot hold both.
//
// Usage: xlsxfixture OUT.xlsx CELLS.tsv [--inline]
// One line per row, cells separated by tabs; "#12.5" is written as a number,
// "?1" as a boolean, an empty cell is left out; --inline writes inline strings.
#include <QFile>
#include <QStringList>
#include <xlsxwriter.h>

int main(int argc, char **argv)
{
    QFile cells(QString::fromLocal8Bit(argc < 3 ? "" : argv[2]));
    if (!cells.open(QIODevice::ReadOnly))
        return 2;
    lxw_workbook_options options{};
    options.constant_memory = (argc > 3 && QByteArray(argv[3]) == "--inline") ? LXW_TRUE : LXW_FALSE;
    lxw_workbook *book = workbook_new_opt(argv[1], &options);
    if (!book)
        return 4;
    lxw_worksheet *sheet = workbook_add_worksheet(book, "数据");
    workbook_add_worksheet(book, "second");
    const QList<QByteArray> lines = cells.readAll().split('\n');
    for (int r = 0; r < lines.size(); ++r) {
        const QList<QByteArray> row = lines[r].split('\t');
        for (int c = 0; c < row.size(); ++c) {
            const QByteArray cell = row[c];
            if (cell.startsWith('#'))
                worksheet_write_number(sheet, lxw_row_t(r), lxw_col_t(c), cell.mid(1).toDouble(), nullptr);
            else if (cell.startsWith('?'))
                worksheet_write_boolean(sheet, lxw_row_t(r), lxw_col_t(c), cell.mid(1).toInt(), nullptr);
            else if (!cell.isEmpty())
                worksheet_write_string(sheet, lxw_row_t(r), lxw_col_t(c), cell.constData(), nullptr);
        }
    }
    return workbook_close(book) == LXW_NO_ERROR ? 0 : 5;
}
