#include "DataSetSource.h"
#include "RenderedReport.h"
#include "Report.h"
#include "ReportRenderer.h"
#include "Table.h"
#include "TestSupport.h"

#include <QtTest>

// Reports over the store: a ladder cursor as the main source, its inspections as sub-detail.
class TestReportStore : public QObject {
    Q_OBJECT
private slots:
    void ladderWithInspectionsFromTheStore()
    {
        TestDataDir dir;
        Table ladders("LT_LEIT");
        ladders.setIndexFieldNames("Nr");
        ladders.open();
        for (int nr : {2, 1}) {
            ladders.append();
            ladders.setValue("Nr", nr);
            ladders.setValue("KurzBez", QString("Leiter %1").arg(nr));
            ladders.setValue("Laenge", 1.5 * nr);
            ladders.post();
        }
        Table inspections("LT_PRUEF");
        inspections.setIndexFieldNames("LT_ID;Datum");
        inspections.setMasterSource(&ladders, "ID");
        inspections.open();
        ladders.first();
        for (const QDate& d : {QDate(2004, 6, 23), QDate(2003, 6, 23)}) {
            inspections.append();
            inspections.setValue("Datum", d);
            inspections.post();
        }

        DataSetSource main(ladders), sub(inspections);
        Report report;
        report.setDataSource(&main);
        report.detail()->setHeightMm(8);
        report.detail()->addField(QRectF(0, 0, 60, 6), "KurzBez");
        report.detail()->addField(QRectF(70, 0, 30, 6), "Laenge", "#0.00 m");
        ReportSubDetail& s = report.addSubDetail(&sub);
        s.band()->setHeightMm(6);
        s.band()->addField(QRectF(10, 0, 40, 5), "Datum", "dd.mm.yy");
        ReportRenderer renderer;
        auto rendered = renderer.render(report);
        const QStringList texts = rendered->texts(1);
        QCOMPARE(texts, QStringList({"Leiter 1", "1,50 m", "23.06.03", "23.06.04", "Leiter 2", "3,00 m"}));
    }
};

QTEST_MAIN(TestReportStore)
#include "tst_reportstore.moc"
