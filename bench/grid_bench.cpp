// Collider queries: 10,000 colliders spread over a level 4,000 units across,
// searched through the grid's cells against the same swept-sphere test run
// on every collider. Pairs are "<case>/<side>" and "<case>/baseline" for run.sh.
#include "world/mapgrid.h"
#include "world/sweptsphere.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

namespace {

constexpr int kColliders = 10000;
constexpr int kQueries = 1024;
constexpr float kLevelSize = 4000.0f;

struct Query {
    Vector from, to;
};

// The level's colliders (radius 1 to 3, each moved up to 4 units this step)
// and the movers asked about (radius 2, moving up to 8 units).
struct Level {
    Level()
    {
        BoundingBox bounds;
        bounds.SetFromPoints({-1000, -1000, -1000}, {kLevelSize + 1000, 1000, kLevelSize + 1000}, true);
        grid.Build(bounds);
        std::mt19937 random(18);
        std::uniform_real_distribution<float> across(0, kLevelSize), step(-4, 4), radius(1, 3);
        for (int i = 0; i < kColliders; ++i) {
            const Vector previous = {across(random), 0, across(random)};
            const Vector current = {previous.x + step(random), 0, previous.z + step(random)};
            Collider* collider = grid.ColliderAdd(i, previous, radius(random));
            grid.ColliderUpdate(collider, current, previous);
            colliders.push_back(collider);
        }
        for (int i = 0; i < kQueries; ++i) {
            const Vector from = {across(random), 0, across(random)};
            queries.push_back({from, {from.x + 2 * step(random), 0, from.z + 2 * step(random)}});
        }
    }

    MapGrid grid;
    std::vector<const Collider*> colliders;
    std::vector<Query> queries;
};

const Level& TheLevel()
{
    static const Level level;
    return level;
}

constexpr float kMoverRadius = 2.0f;

void ColliderCheck_Grid(benchmark::State& state)
{
    const Level& level = TheLevel();
    size_t next = 0, hits = 0;
    for (auto _ : state) {
        const Query& query = level.queries[next++ % kQueries];
        hits += level.grid.ColliderCheck(query.from, query.to, kMoverRadius).size();
    }
    benchmark::DoNotOptimize(hits);
}
BENCHMARK(ColliderCheck_Grid)->Name("collider_check/grid");

void ColliderCheck_EveryCollider(benchmark::State& state)
{
    const Level& level = TheLevel();
    size_t next = 0;
    for (auto _ : state) {
        const Query& query = level.queries[next++ % kQueries];
        std::vector<ColliderHit> hits;
        const Vector movement = Subtract(query.to, query.from);
        for (const Collider* c : level.colliders) {
            const SphereContact contact = SweptSpheres(query.from, movement, kMoverRadius, c->previousPosition,
                                                       Subtract(c->position, c->previousPosition), c->radius);
            if (contact.hit)
                hits.push_back({c->reference, contact.t0, contact.t1});
        }
        benchmark::DoNotOptimize(hits.data());
    }
}
BENCHMARK(ColliderCheck_EveryCollider)->Name("collider_check/baseline");

}  // namespace

BENCHMARK_MAIN();
