// Statements that check the shape of the BOMs in the database, shared by the data tests.
#pragma once

namespace kx::test {

// Number of items that reach themselves through BOM lines: 0 when the BOMs have no loop.
inline const char* const kBomLoopCount =
    "with recursive e as (select h.BomItmID as P, l.BolItmID as C from KX_Bom_Head as h join KX_Bom_Line as l on l.BomID = h.BomID),"
    " r (Root, C) as (select P, C from e union select r.Root, e.C from r join e on e.P = r.C)"
    " select count(*) from r where Root = C";

// The deepest BOM level below the items the condition (on KX_Base_ItemMaster as i) selects; 0
// for items without components.
inline const char* const kBomDepthBelow =
    "with recursive walk (ItmID, Depth) as (select i.ItmID, 0 from KX_Base_ItemMaster as i where %1"
    " union select l.BolItmID, w.Depth + 1 from walk as w join KX_Bom_Head as h on h.BomItmID = w.ItmID"
    " join KX_Bom_Line as l on l.BomID = h.BomID where w.Depth < 20) select max(Depth) from walk";

} // namespace kx::test
