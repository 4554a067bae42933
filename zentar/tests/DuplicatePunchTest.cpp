#include "DatabaseFixture.h"

using namespace zentar;

class ON_ENGINE(DuplicatePunch) : public DatabaseTest {
protected:
    // What storing one punch line does: the identical punch goes, the punch comes back with
    // the next identifier of its terminal and day.
    void store(RigaTimbratura punch)
    {
        stato->CodiceTerminale = punch.Terminale;
        db->EliminaTimbraturaUguale(punch);
        punch.ID = db->ProssimoIDTimbratura(punch.Data) + 1;
        db->InserisciTimbratura(punch);
    }

    std::vector<QString> badgesOfTheDay(int terminale = 1, const QString& data = "31/12/2015")
    {
        std::vector<QString> badges;
        for (const RigaTimbratura& row : db->TimbratureDelGiorno(terminale, data))
            badges.push_back(QStringLiteral("%1:%2").arg(row.ID).arg(row.Badge));
        return badges;
    }

    static RigaTimbratura punch(const QString& badge)
    {
        return {.Terminale = 1, .Data = "31/12/2015", .Badge = badge, .Verso = 1, .Ora = "08.15.30"};
    }
};

TEST_F(ON_ENGINE(DuplicatePunch), StoringAPunchTwiceLeavesOneRowWithTheNextIdentifier)
{
    store(punch("A"));
    store(punch("B"));
    store(punch("C"));
    store(punch("A"));
    EXPECT_EQ(badgesOfTheDay(), (std::vector<QString>{"2:B", "3:C", "4:A"}));
}

TEST_F(ON_ENGINE(DuplicatePunch), OnlyThePunchEqualInEveryFieldIsDeleted)
{
    const RigaTimbratura original = punch("00001234");
    RigaTimbratura otherTerminal = original, otherBadge = original, otherDay = original, otherDirection = original,
                   otherTime = original;
    otherTerminal.Terminale = 2;
    otherBadge.Badge = "00001235";
    otherDay.Data = "30/12/2015";
    otherDirection.Verso = 0;
    otherTime.Ora = "08.15.31";
    for (const RigaTimbratura& p : {otherTerminal, otherBadge, otherDay, otherDirection, otherTime})
        db->InserisciTimbratura(p);

    db->EliminaTimbraturaUguale(original);

    EXPECT_EQ(db->TimbratureDelGiorno(2, "31/12/2015").size(), 1u);
    EXPECT_EQ(db->TimbratureDelGiorno(1, "30/12/2015").size(), 1u);
    EXPECT_EQ(db->TimbratureDelGiorno(1, "31/12/2015").size(), 3u);
}

TEST_F(ON_ENGINE(DuplicatePunch), PatternCharactersMatchOnlyThemselves)
{
    for (const QString badge : {"00001234", "0000123X", "%", "_"})
        db->InserisciTimbratura(punch(badge));

    struct Probe {
        RigaTimbratura punch;
        const char* why;
    };
    RigaTimbratura anyDay = punch("00001234");
    anyDay.Data = "%/12/2015";
    RigaTimbratura anyTime = punch("00001234");
    anyTime.Ora = "08.15._0";
    const Probe probes[] = {
        {punch("%1234"), "'%' as a pattern"},
        {punch("0000123_"), "'_' as a pattern"},
        {anyDay, "date as a pattern"},
        {anyTime, "time as a pattern"},
    };
    for (const Probe& probe : probes)
        db->EliminaTimbraturaUguale(probe.punch);
    EXPECT_EQ(db->TimbratureDelGiorno(1, "31/12/2015").size(), 4u) << "no other punch may go";

    db->EliminaTimbraturaUguale(punch("%"));
    db->EliminaTimbraturaUguale(punch("_"));
    EXPECT_EQ(badgesOfTheDay(), (std::vector<QString>{"0:00001234", "0:0000123X"}));
}

TEST_F(ON_ENGINE(DuplicatePunch), ApostrophesAreStoredAndMatchedLikeAnyText)
{
    store(punch("O'NEIL'"));
    store(punch("'; DELETE FROM timbrature; --"));
    store(punch("O'NEIL'"));
    EXPECT_EQ(badgesOfTheDay(), (std::vector<QString>{"2:'; DELETE FROM timbrature; --", "3:O'NEIL'"}));
}
