#include "oracle/pedigree_shapes.hpp"

#include <algorithm>
#include <functional>

namespace pedlik::oracle {

namespace {

using Family = std::vector<PersonRecord>;

int add(Family& family, int father, int mother, bool isMale) {
    PersonRecord person;
    person.father = father;
    person.mother = mother;
    person.isMale = isMale;
    family.push_back(person);
    return static_cast<int>(family.size()) - 1;
}

int addChild(Family& family, RandomSource& random, int father, int mother) {
    return add(family, father, mother, random.chance(0.5));
}

// Founder couple: father first.
std::pair<int, int> addCouple(Family& family) {
    const int father = add(family, -1, -1, true);
    const int mother = add(family, -1, -1, false);
    return {father, mother};
}

// A couple of the given persons, whichever of them is male being the father.
std::pair<int, int> parentsOf(const Family& family, int x, int y) {
    return family[x].isMale ? std::make_pair(x, y) : std::make_pair(y, x);
}

void single(Family& family, RandomSource& random, int) { add(family, -1, -1, random.chance(0.5)); }

void trio(Family& family, RandomSource& random, int) {
    const auto [father, mother] = addCouple(family);
    addChild(family, random, father, mother);
}

void sibship(Family& family, RandomSource& random, int room) {
    const auto [father, mother] = addCouple(family);
    const int children = random.between(2, std::min(4, room - 2));
    for (int c = 0; c < children; ++c) addChild(family, random, father, mother);
}

// One parent with two spouses and a child by each: half-sibs.
void twoMarriages(Family& family, RandomSource& random, int room) {
    const bool sharedIsMale = random.chance(0.5);
    const int shared = add(family, -1, -1, sharedIsMale);
    for (int marriage = 0; marriage < 2; ++marriage) {
        const int spouse = add(family, -1, -1, !sharedIsMale);
        const auto [father, mother] = parentsOf(family, shared, spouse);
        addChild(family, random, father, mother);
        if (marriage == 1 && room >= 6 && random.chance(0.5)) addChild(family, random, father, mother);
    }
}

void threeGenerations(Family& family, RandomSource& random, int room) {
    const auto [grandfather, grandmother] = addCouple(family);
    const int child = addChild(family, random, grandfather, grandmother);
    const int spouse = add(family, -1, -1, !family[child].isMale);
    const auto [father, mother] = parentsOf(family, child, spouse);
    addChild(family, random, father, mother);
    if (room >= 6 && random.chance(0.5)) addChild(family, random, father, mother);
}

void sibMating(Family& family, RandomSource& random, int room) {
    const auto [grandfather, grandmother] = addCouple(family);
    const int brother = add(family, grandfather, grandmother, true);
    const int sister = add(family, grandfather, grandmother, false);
    addChild(family, random, brother, sister);
    if (room >= 6 && random.chance(0.5)) addChild(family, random, brother, sister);
}

// A parent has a child with its own child of the other sex.
void parentOffspringMating(Family& family, RandomSource& random, int room) {
    const auto [father, mother] = addCouple(family);
    const bool throughFather = random.chance(0.5);
    const int child = add(family, father, mother, !throughFather);
    const auto [loopFather, loopMother] = throughFather ? std::make_pair(father, child) : std::make_pair(child, mother);
    addChild(family, random, loopFather, loopMother);
    if (room >= 5 && random.chance(0.5)) addChild(family, random, loopFather, loopMother);
}

void halfSibMating(Family& family, RandomSource& random, int) {
    const int father = add(family, -1, -1, true);
    const int firstWife = add(family, -1, -1, false);
    const int secondWife = add(family, -1, -1, false);
    const int son = add(family, father, firstWife, true);
    const int daughter = add(family, father, secondWife, false);
    addChild(family, random, son, daughter);
}

void trioWithChildlessFounder(Family& family, RandomSource& random, int room) {
    trio(family, random, room);
    add(family, -1, -1, random.chance(0.5));
}

// Appends `part` to `family`, moving its links along.
void appendFamily(Family& family, const Family& part) {
    const int offset = static_cast<int>(family.size());
    for (PersonRecord person : part) {
        if (person.father >= 0) person.father += offset;
        if (person.mother >= 0) person.mother += offset;
        family.push_back(person);
    }
}

void unconnectedFamilies(Family& family, RandomSource& random, int room) {
    const int parts = room >= 5 && random.chance(0.5) ? 3 : 2;
    for (int part = 0; part < parts; ++part) {
        const int left = room - static_cast<int>(family.size()) - (parts - part - 1);
        Family piece;
        if (left >= 4 && random.chance(0.3)) {
            sibship(piece, random, std::min(left, 4));
        } else if (left >= 3 && random.chance(0.5)) {
            trio(piece, random, left);
        } else {
            single(piece, random, left);
        }
        appendFamily(family, piece);
    }
}

struct ShapeMaker {
    int minimumSize;
    std::function<void(Family&, RandomSource&, int)> make;
};

Family shuffled(const Family& family, RandomSource& random) {
    const int n = static_cast<int>(family.size());
    std::vector<int> position(n);
    for (int j = 0; j < n; ++j) position[j] = j;
    for (int j = n - 1; j > 0; --j) std::swap(position[j], position[random.below(j + 1)]);
    Family result(n);
    for (int j = 0; j < n; ++j) {
        PersonRecord person = family[j];
        if (person.father >= 0) person.father = position[person.father];
        if (person.mother >= 0) person.mother = position[person.mother];
        result[position[j]] = person;
    }
    return result;
}

}  // namespace

std::vector<PersonRecord> tinyFamily(RandomSource& random, int maxPersons, bool allowUnconnected) {
    std::vector<ShapeMaker> makers = {
        {1, single},
        {3, trio},
        {4, sibship},
        {5, twoMarriages},
        {5, threeGenerations},
        {5, sibMating},
        {4, parentOffspringMating},
        {6, halfSibMating},
        {4, trioWithChildlessFounder},
    };
    if (allowUnconnected) makers.push_back({2, unconnectedFamilies});
    std::erase_if(makers, [maxPersons](const ShapeMaker& maker) { return maker.minimumSize > maxPersons; });
    Family family;
    makers[random.below(static_cast<int>(makers.size()))].make(family, random, maxPersons);
    return random.chance(0.5) ? shuffled(family, random) : family;
}

std::vector<PersonRecord> grownFamily(RandomSource& random, int size, int generations) {
    Family family;
    std::vector<int> generation;
    std::vector<std::vector<int>> spouses;
    const auto addPerson = [&](int father, int mother, bool isMale, int level) {
        const int person = add(family, father, mother, isMale);
        generation.push_back(level);
        spouses.emplace_back();
        return person;
    };
    const int husband = addPerson(-1, -1, true, 0);
    const int wife = addPerson(-1, -1, false, 0);
    spouses[husband].push_back(wife);
    spouses[wife].push_back(husband);
    addPerson(husband, wife, random.chance(0.5), 1);
    while (static_cast<int>(family.size()) < size) {
        std::vector<int> candidates;
        for (int j = 0; j < static_cast<int>(family.size()); ++j) {
            if (generation[j] + 1 < generations) candidates.push_back(j);
        }
        const int x = candidates[random.below(static_cast<int>(candidates.size()))];
        const int room = size - static_cast<int>(family.size());
        int spouse = -1;
        const bool newSpouse = room >= 2 && (spouses[x].empty() || random.chance(0.4));
        if (newSpouse) {
            spouse = addPerson(-1, -1, !family[x].isMale, generation[x]);
            spouses[x].push_back(spouse);
            spouses[spouse].push_back(x);
        } else if (!spouses[x].empty()) {
            spouse = spouses[x][random.below(static_cast<int>(spouses[x].size()))];
        } else {
            continue;
        }
        const auto [father, mother] = parentsOf(family, x, spouse);
        const int children = random.between(1, std::min(3, size - static_cast<int>(family.size())));
        for (int c = 0; c < children; ++c) addPerson(father, mother, random.chance(0.5), generation[x] + 1);
    }
    return family;
}

}  // namespace pedlik::oracle
