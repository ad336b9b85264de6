#include "support/hostile_inputs.h"

#include "support/zip_writer.h"

namespace {

// An archive whose first member, `name`, claims `declared` bytes.
std::string ArchiveDeclaring(uint32_t declared, const std::string& name = "lie.txt")
{
    std::string lines;
    for (int i = 0; lines.size() < 5000; ++i)
        lines += "Echo line " + std::to_string(i) + "\n";
    ZipArchive archive = ZipWriter().Add(name, lines).Add("fine.txt", "fine").Finish();
    archive.PutU32(archive.centralHeaders[0] + 24, declared);
    return archive.bytes;
}

}  // namespace

const std::vector<HostileInput>& HostileInputs()
{
    static const std::vector<HostileInput> inputs = {
        {"archive declaring 4 GB", "lie.pk3", ArchiveDeclaring(0xffffffff), "",
         "Error: Damaged archive lie.pk3: 1 member(s) left out"},
        {"archive without a directory", "cut.pk3", ArchiveDeclaring(5000).substr(0, 100), "",
         "Error: Damaged archive cut.pk3: no central directory, left out"},
        {"archive member that inflates short of its size", "short.pk3", ArchiveDeclaring(15000, "short.cfg"),
         "Execute short.cfg", "Error: Damaged archive short.pk3: member short.cfg cannot be read"},
        {"cfg with values out of range and an unknown command", "hostile.cfg",
         "r_gamma 1000\nno_such_command 1\n", "Execute hostile.cfg", "*Error: r_gamma can only be 0 to 100."},
        {"map cut off in its header", "maps/cut.map", "KRSM\3" + std::string(115, '\0'), "Map maps/cut.map",
         "Error: maps/cut.map is damaged: it has no meshes, not even the world."},
        {"shader file that never closes its shader", "shaders/hostile.shader", "broken\n{\n{\nmap x.tga\n", "",
         "Error: Unexpected end of file, stage and/or shader not closed (shaders/hostile.shader, line: 5)."},
    };
    return inputs;
}
