// SPDX-License-Identifier: GPL-3.0-or-later
#include "phonebook/usta_levels.h"

namespace kui {
namespace {

// Our own summary of each level, from what players at that level are
// generally expected to do.
struct Level {
    int tenths;
    const char* text;
};

constexpr Level kLevels[] = {
    {10, "Just taking up the game. Everything is new: how to hold the racket, where to stand "
         "and how to keep score. The main goal is to make contact with the ball."},
    {15, "Has been on court a few times and can keep the ball going slowly with a friendly "
         "partner, but the strokes are not yet reliable. Knows the basics of scoring and "
         "court lines."},
    {20, "Can hit forehands and often backhands in a short rally at gentle pace. Footwork is "
         "slow, the serve is a simple push into play, and the player usually stands back at "
         "the baseline or right at the net in doubles."},
    {25, "Starts to judge where the ball is going and can keep a slow rally going with a "
         "player of the same level. Court coverage is still weak and most points end on a "
         "missed ball rather than a good shot. Ready for casual social play."},
    {30, "Rallies fairly steadily at medium pace on the forehand and can often do so on the "
         "backhand, but lacks control of depth, direction and power. Serves in with a steady "
         "motion; the usual doubles formation is one up, one back."},
    {35, "Hits medium-paced strokes with good consistency and is learning to aim them and "
         "vary their depth. Moves better to the ball, comes to the net more often though "
         "volleys are still uncertain, and begins to place the serve. Starts to play as a "
         "team in doubles."},
    {40, "Dependable on both wings at medium pace, able to direct the ball and choose depth "
         "in a rally. Plays lobs, overheads, approach shots and volleys with some success, "
         "places the first serve and has a sound second serve. Rallies are lost more through "
         "impatience than poor technique; works with a partner in doubles."},
    {45, "Starting to use power and spin on purpose and to change pace and direction during "
         "a point. Footwork and court position are sound, the first serve can be hit hard or "
         "placed and the second serve is reliable. Tries to press the net and can handle "
         "most shots at medium pace, though errors come when forcing the play."},
    {50, "Plays with good anticipation and knows how to build a point. Has one or more "
         "strengths to lean on, such as a heavy forehand or a strong serve, and can adjust "
         "the game plan to the opponent. Puts away short balls, volleys well and hits "
         "winners off both wings; pressure makes the weaker shots falter less often."},
    {55, "Has made power and consistency a weapon and can change tactics during a match to "
         "suit the situation. Hits reliable shots under pressure and holds serve well, "
         "while returning aggressively. Typically competes in top club leagues and "
         "tournaments."},
    {60, "Has had intensive training for national junior or college events and plays at a "
         "sectional or national ranking level. Strong in every department, with the "
         "discipline and fitness to keep that level through a long match."},
    {65, "Close to the level of the professional game: competes in satellite and other "
         "professional tournaments, has extensive match experience and a complete, "
         "powerful game."},
    {70, "A world-class player who earns a living from tournament prize money and competes "
         "on the international professional tours."},
};

} // namespace

QString UstaLevelDescription(int tenths) {
    for (const Level& level : kLevels)
        if (level.tenths == tenths)
            return QString::fromLatin1(level.text);
    return {};
}

} // namespace kui
