#pragma once

// The catalogue's complete statement vocabulary, in one place. Each statement keeps its table,
// columns, condition and ordering; values are never spliced into the text but bound to the "?"
// placeholders, in the order the placeholders appear.
namespace Sql {

// [大类表] categories
inline constexpr const char* SelectCategories = "select * from [大类表]";
inline constexpr const char* SelectCategoriesSpace = "select * from [大类表] ";
inline constexpr const char* SelectCategoriesByNumber = "select * from [大类表] order by Number ";
inline constexpr const char* SelectCategoriesByNumberBracketed =
    "select * from [大类表] order by [Number]";
inline constexpr const char* SelectCategoryByName = "select * from [大类表] where [ClassName]=? ";
inline constexpr const char* SelectCategoryNumber = "select Number from 大类表 where ClassName =?";
inline constexpr const char* InsertCategory = "insert into [大类表]([ClassName]) values(?)";
// new name, old name
inline constexpr const char* RenameCategory =
    "update [大类表] set [ClassName]=? where [ClassName]=?";
// number, name
inline constexpr const char* SetCategoryNumber =
    "update [大类表] set [Number] = ? where [ClassName] = ? ";
inline constexpr const char* DeleteCategory = "delete from [大类表] where [ClassName]=?";

// [小类表] products
inline constexpr const char* SelectAllProducts = "select *from [小类表]";
inline constexpr const char* SelectProductsOfClassPublish =
    "select *from [小类表] where [ClassName]=?";
inline constexpr const char* SelectProductsOfClassModels =
    "select * from [小类表] where [ClassName] = ? ";
inline constexpr const char* SelectProductsOfClassDocuments =
    "select * from [小类表] where [ClassName] = ?";
inline constexpr const char* SelectProductsOfClassByNumber =
    "select * from  [小类表] where ClassName = ? order by [Number]";
inline constexpr const char* SelectProductsByClassAndNumber =
    "select * from [小类表] order by [ClassName],[Number]";
inline constexpr const char* SelectProductsOfClassByClassAndNumber =
    "select * from [小类表] where ClassName = ? order by [ClassName],[Number]";
// class, product
inline constexpr const char* SelectProductByClassAndName =
    "select * from  [小类表] where [ClassName] = ? and [ProductName] = ? ";
// product, class
inline constexpr const char* SelectProductByNameAndClass =
    "select *from [小类表] where [ProductName]=? and [ClassName]=?";
// pattern from LikeContains(); the search text is matched literally
inline constexpr const char* SearchProductsByKey =
    "select *from [小类表] where [Key]  like ? escape '\\' ";
// The same search through the trigram index of [Key]: the index narrows the rows to those that
// may hold the text (its case folding is wider than LIKE's), the LIKE keeps exactly the scan's
// hits, in the scan's order. Phrase from CatalogueDb::IndexPhrase(), pattern from
// LikeContains().
inline constexpr const char* SearchProductsByKeyIndexed =
    "select * from [小类表] where rowid in (select rowid from [小类表_类型码] where "
    "[小类表_类型码] match ?) and [Key]  like ? escape '\\' order by rowid";
inline constexpr const char* CountProductsOfClass =
    "select count(*) from [小类表] where ClassName=? ";
inline constexpr const char* CountModelsOfClass =
    "select count(*) from [3D模型表] where ClassName=? ";
// number, class, product, key, opath, ointroduce, oaddprocess, otecreference
inline constexpr const char* InsertProduct =
    "insert into [小类表]([Number],[ClassName],[ProductName],[Key],[Opath],[OIntroduce],"
    "[OAddProcess],[OTecReference]) values(?,?,?,?,?,?,?,?)";
// number, product, class, key, opath, dpath, ointroduce, oaddprocess, otecreference,
// old product, old class
inline constexpr const char* UpdateProduct =
    "update [小类表] set [Number]=?,[ProductName]=?,[ClassName]=?,[Key]=?,[Opath]=?,[Dpath]=?,"
    "[OIntroduce]=?,[OAddProcess]=?,[OTecReference]=? where [ProductName]=? and [ClassName]=?";
// path, class, product
inline constexpr const char* SetProductIntroduce =
    "update [小类表] set [OIntroduce]=? where [ClassName]=? and [ProductName]=?";
inline constexpr const char* SetProductAddProcess =
    "update [小类表] set [OAddProcess]=? where [ClassName]=? and [Productname]=?";
inline constexpr const char* SetProductTecReference =
    "update [小类表] set [OTecReference]=? where [ClassName]=? and [Productname]=?";
inline constexpr const char* SetProductDpath =
    "update [小类表] set [Dpath]=? where [ClassName]=? and [ProductName]=?";
inline constexpr const char* SetProductPIntroduce =
    "update [小类表] set [PIntroduce]=? where [ClassName]=? and [ProductName]=?";
inline constexpr const char* SetProductPAddProcess =
    "update [小类表] set [PAddProcess]=? where [ClassName]=? and [ProductName]=?";
inline constexpr const char* SetProductPTecReference =
    "update [小类表] set [PTecReference]=? where [ClassName]=? and [ProductName]=?";
// new class, old class
inline constexpr const char* RenameProductsClass =
    "update [小类表] set [ClassName]=? where [ClassName]=?";
inline constexpr const char* DeleteProductsOfClass = "delete from [小类表] where [ClassName]=?";
// product, class
inline constexpr const char* DeleteProduct =
    "delete from [小类表] where [ProductName]=? and [ClassName]=?";

// [小类表_类型码] the trigram index of the products' [Key], kept in step with [小类表] by three
// triggers. It holds no copy of the keys, only the index.
inline constexpr const char* CreateSearchIndex[] = {
    "create virtual table [小类表_类型码] using fts5([Key], content='小类表', "
    "tokenize='trigram')",
    "create trigger [小类表_类型码_增] after insert on [小类表] begin "
    "insert into [小类表_类型码](rowid, [Key]) values (new.rowid, new.[Key]); end",
    "create trigger [小类表_类型码_删] after delete on [小类表] begin "
    "insert into [小类表_类型码]([小类表_类型码], rowid, [Key]) "
    "values ('delete', old.rowid, old.[Key]); end",
    "create trigger [小类表_类型码_改] after update on [小类表] "
    "when old.rowid is not new.rowid or old.[Key] is not new.[Key] begin "
    "insert into [小类表_类型码]([小类表_类型码], rowid, [Key]) "
    "values ('delete', old.rowid, old.[Key]); "
    "insert into [小类表_类型码](rowid, [Key]) values (new.rowid, new.[Key]); end",
};
// Fills the index from the rows already there.
inline constexpr const char* RebuildSearchIndex =
    "insert into [小类表_类型码]([小类表_类型码]) values ('rebuild')";
// Everything that makes up the index, to drop a partial one before it is made again.
inline constexpr const char* DropSearchIndex[] = {
    "drop trigger if exists [小类表_类型码_增]",
    "drop trigger if exists [小类表_类型码_删]",
    "drop trigger if exists [小类表_类型码_改]",
    "drop table if exists [小类表_类型码]",
};
// How many of the index's four parts the catalogue holds.
inline constexpr const char* CountSearchIndexParts =
    "select count(*) from sqlite_master where name in ('小类表_类型码', '小类表_类型码_增', "
    "'小类表_类型码_删', '小类表_类型码_改')";
// A query through the index: fails where this SQLite cannot read it. Phrase as above.
inline constexpr const char* ProbeSearchIndex =
    "select rowid from [小类表_类型码] where [小类表_类型码] match ? limit 1";
// Whether [小类表] keeps its row numbers through VACUUM (its ID is the rowid); the index
// refers to rows by number.
inline constexpr const char* ProductsHaveRowidKey =
    "select count(*) = 1 and sum(lower([type]) = 'integer') = 1 from pragma_table_info('小类表') "
    "where [pk] > 0";

// Tells whether the catalogue changed since the last look: by this connection
// (total_changes) or by another one (data_version).
inline constexpr const char* ChangeCounters = "select total_changes()";
inline constexpr const char* DataVersion = "pragma data_version";

// [3D模型表] model files
inline constexpr const char* SelectAllModels = "select * from [3D模型表]";
// class, product
inline constexpr const char* SelectModelsOfProductPublish =
    "select * from [3D模型表] where [ClassName]=? and [ProductName]=?";
inline constexpr const char* SelectModelsOfProductByNumber =
    "select * from [3D模型表] where [ClassName] = ? and [ProductName] = ? order by [Number] ";
// class, product, file
inline constexpr const char* SelectModelFile =
    "select * from [3D模型表] where [ClassName] = ? and ProductName = ? and [3DModel] = ? ";
inline constexpr const char* SelectModelFileBracketed =
    "select * from [3D模型表] where [ClassName] = ? and [ProductName] = ? and [3DModel] = ? ";
inline constexpr const char* SelectModelByFileName = "select *from [3D模型表] where [3DModel]=?";
// product, class
inline constexpr const char* SelectModelsOfProduct =
    "select *from [3D模型表] where [ProductName]=? and [ClassName]=?";
// class, product, file, opath
inline constexpr const char* InsertModelShort =
    "insert into [3D模型表](ClassName,ProductName,[3DModel],Opath) values (?,?,?,?)";
// class, product, file, number, opath
inline constexpr const char* InsertModel =
    "insert into [3D模型表](ClassName,ProductName,[3DModel],[Number],[Opath],[Dpath],[Note]) "
    "values (?,?,?,?,?,'','')";
// number, class, product, file
inline constexpr const char* SetModelNumber =
    "update [3D模型表] set [Number] = ? where [ClassName] = ? and [ProductName] = ? and "
    "[3DModel] = ? ";
// note, class, product, file
inline constexpr const char* SetModelNote =
    "update [3D模型表] set [Note] = ? where [ClassName] = ? and [ProductName] = ? and "
    "[3DModel] = ? ";
// dpath, class, product
inline constexpr const char* SetModelsDpath =
    "update [3D模型表] set [Dpath]=? where [ClassName]=? and [ProductName]=?";
// dpath, class, product, file
inline constexpr const char* SetModelDpath =
    "update [3D模型表] set [Dpath]=? where [ClassName]=? and [ProductName]=? and [3DModel]=?";
// new class, old class
inline constexpr const char* RenameModelsClass =
    "update [3D模型表] set [ClassName]=? where [ClassName]=?";
// new class, new product, old product, old class
inline constexpr const char* MoveModelsOfProduct =
    "update [3D模型表] set [ClassName]=?,[ProductName]=? where [ProductName]=? and [ClassName]=?";
// class, product, file
inline constexpr const char* DeleteModelFile =
    "delete from [3D模型表] where [ClassName] = ? and [ProductName] = ? and [3DModel] = ?";
inline constexpr const char* DeleteModelsOfClass = "delete from [3D模型表] where [ClassName]=?";
// product, class
inline constexpr const char* DeleteModelsOfProduct =
    "delete from [3D模型表] where [ProductName]=? and [ClassName]=?";

// [企业表] company
inline constexpr const char* SelectCompany = "select *from [企业表]";
inline constexpr const char* SelectCompanySpace = "select * from [企业表]";
// opath, company, web
inline constexpr const char* UpdateCompany =
    "update [企业表] set [Opath] =?,[Company] =?,[Web] =? ";
inline constexpr const char* UpdateCompanyAlt =
    "update [企业表] set  [Opath]=?,[Company]=?,[Web]=? ";
// name, opath, company, web: the company row of a catalogue that has none
inline constexpr const char* InsertCompany =
    "insert into [企业表]([ClassName],[Opath],[Company],[Web]) values(?,?,?,?)";
// dpath, name
inline constexpr const char* SetCompanyDpath = "update [企业表] set [Dpath]=? where [ClassName]=?";

// [缩略图表] thumbnails a published copy carries: one per product picture, keyed by the
// picture's path in the copy, with the picture's size, modification time (seconds) and upright
// dimensions when the thumbnail was made. Older catalogues have no such table.
inline constexpr const char* CreateThumbnailTable =
    "create table if not exists [缩略图表] ([Path] text primary key, [Size] integer, "
    "[MTime] integer, [Width] integer, [Height] integer, [Image] blob)";
inline constexpr const char* DeleteThumbnails = "delete from [缩略图表]";
// path, size, mtime, width, height, image
inline constexpr const char* InsertThumbnail =
    "insert or replace into [缩略图表]([Path], [Size], [MTime], [Width], [Height], [Image]) "
    "values(?, ?, ?, ?, ?, ?)";
inline constexpr const char* SelectThumbnailStamp =
    "select [Size], [MTime] from [缩略图表] where [Path] = ?";
inline constexpr const char* SelectThumbnail =
    "select [Size], [MTime], [Width], [Height], [Image] from [缩略图表] where [Path] = ?";

}  // namespace Sql
