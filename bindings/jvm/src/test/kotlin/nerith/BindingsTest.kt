package nerith

import java.io.File
import java.lang.reflect.InvocationTargetException
import java.util.UUID
import kotlin.concurrent.thread
import org.json.JSONArray
import org.json.JSONObject
import org.junit.jupiter.api.Assertions.assertEquals
import org.junit.jupiter.api.Assertions.assertTrue
import org.junit.jupiter.api.DynamicTest
import org.junit.jupiter.api.Test
import org.junit.jupiter.api.TestFactory
import org.junit.jupiter.api.assertThrows
import uniffi.nerith.HarmonicConstituent
import uniffi.nerith.Port
import uniffi.nerith.TideException
import uniffi.nerith.addCustomPort
import uniffi.nerith.getPort
import uniffi.nerith.listPorts
import uniffi.nerith.predictDay
import uniffi.nerith.searchPorts

/** The jar's generated Kotlin API: the shared table of calls, custom ports, threads. */
class BindingsTest {
    @TestFactory
    fun table(): List<DynamicTest> = TABLE.map { case -> DynamicTest.dynamicTest(case.name) { case.run() } }

    @Test
    fun customPortsComeBackExactlyAndOnce() {
        for (port in listOf(newPort(), newPort(constituents = emptyList()))) {
            addCustomPort(port)
            assertEquals(port, getPort(port.id))
            assertTrue(port in listPorts())
            assertEquals(listOf(port), searchPorts(port.id.lowercase()))
            val duplicate = assertThrows<TideException.PortRejected> { addCustomPort(port) }
            assertEquals("DuplicateId(\"${port.id}\")", duplicate.message)
            assertEquals(145, predictDay(port.id, "2026-06-21").heights.size)
        }
        assertThrows<TideException.PortRejected> { addCustomPort(newPort().copy(id = "FR-BREST")) }
    }

    @Test
    fun threadsGetTheTableAnswersSideBySide() {
        val failures = java.util.concurrent.ConcurrentLinkedQueue<Throwable>()
        val threads = (1..8).map {
            thread {
                try {
                    repeat(3) {
                        TABLE.forEach { it.run() }
                        addCustomPort(newPort())
                    }
                } catch (failure: Throwable) {
                    failures.add(failure)
                }
            }
        }
        threads.forEach { it.join() }
        failures.firstOrNull()?.let { throw it }
    }

    private fun newPort(constituents: List<HarmonicConstituent>? = null) = Port(
        id = "TEST-KT-${UUID.randomUUID().toString().take(12)}", name = "Île-Tudy – quai ⚓",
        latitude = 47.25, longitude = -2.5, meanWaterLevel = 3.25, atlanticCoast = true,
        constituents = constituents
            ?: listOf(HarmonicConstituent("M2", 1.75, 110.0), HarmonicConstituent("S2", 0.6, 150.0)),
    )
}

/** The generated file class of each library's top-level functions, by namespace. */
private val LIBRARIES = mapOf("nerith" to "uniffi.nerith.NerithKt", "nerith_full" to "uniffi.nerith_full.Nerith_fullKt")

private val TABLE: List<Case> = JSONObject(File(System.getProperty("nerith.cases")).readText()).let { cases ->
    LIBRARIES.flatMap { (library, fileClass) ->
        val functions = Class.forName(fileClass).methods
        cases.getJSONArray(library).map { Case(library, functions, it as JSONObject) }
    }
}

private class Case(library: String, functions: Array<java.lang.reflect.Method>, private val case: JSONObject) {
    private val args = case.getJSONArray("args").toList()
    val name = "$library.${case.getString("call")}(${args.joinToString()})"
    // Kotlin adds a suffix to the name of a function with unsigned arguments.
    private val function = camel(case.getString("call")).let { call ->
        functions.single { (it.name == call || it.name.startsWith("$call-")) && it.parameterCount == args.size }
    }

    fun run() {
        val arguments = args.zip(function.parameterTypes) { arg, type ->
            when (type) {
                Long::class.javaPrimitiveType -> (arg as Number).toLong()
                Double::class.javaPrimitiveType -> (arg as Number).toDouble()
                // {"$enum": "Type.Variant"}, a map once the array is a list: that variant of the enumeration.
                else -> if (arg is Map<*, *> && "\$enum" in arg) {
                    val variant = arg["\$enum"].toString().substringAfter('.')
                    type.enumConstants.single { (it as Enum<*>).name.equals(variant, ignoreCase = true) }
                } else arg
            }
        }
        val answer = try {
            function.invoke(null, *arguments.toTypedArray())
        } catch (thrown: InvocationTargetException) {
            val error = thrown.targetException
            assertTrue(case.has("error"), "$name threw $error")
            assertEquals(case.getString("error") to case.getString("message"), error.javaClass.simpleName to error.message, name)
            return
        }
        assertTrue(case.has("answer"), "$name answered $answer")
        check(answer, case.get("answer"), name)
    }
}

/** The .udl's snake_case name as the generated Kotlin spells it. */
private fun camel(name: String) = name.split('_').mapIndexed { i, part -> if (i == 0) part else part.replaceFirstChar { it.uppercase() } }.joinToString("")

private fun number(value: Any?): Double? = when (value) {
    is UByte -> value.toDouble()
    is Number -> value.toDouble()
    else -> null
}

/** Fails unless the answer matches the table's expectation (see its "about"). */
private fun check(answer: Any?, expected: Any?, where: String) {
    when {
        expected is JSONObject && expected.has("\$near") -> {
            val value = number(answer) ?: error("$where: $answer is not a number")
            assertTrue(Math.abs(value - expected.getDouble("\$near")) <= expected.getDouble("\$within"), "$where: $answer")
        }
        expected is JSONObject && expected.keys().asSequence().any { it.startsWith("$") } -> {
            val list = answer as? List<*> ?: error("$where: $answer is not a list")
            if (expected.has("\$length")) assertEquals(expected.getInt("\$length"), list.size, where)
            expected.optJSONObject("\$items")?.let { items ->
                items.keys().forEach { check(list[it.toInt()], items.get(it), "$where[$it]") }
            }
            if (expected.has("\$each")) list.forEachIndexed { i, item -> check(item, expected.get("\$each"), "$where[$i]") }
        }
        expected is JSONObject -> {
            assertTrue(answer != null, "$where is absent")
            expected.keys().forEach { field ->
                val property = answer!!.javaClass.getDeclaredField(camel(field)).apply { isAccessible = true }
                check(property.get(answer), expected.get(field), "$where.$field")
            }
        }
        expected is JSONArray -> {
            val list = answer as? List<*> ?: error("$where: $answer is not a list")
            assertEquals(expected.length(), list.size, "$where: $list")
            list.forEachIndexed { i, item -> check(item, expected.get(i), "$where[$i]") }
        }
        expected == JSONObject.NULL -> assertEquals(null, answer, where)
        answer is Enum<*> -> assertEquals((expected as String).lowercase(), answer.name.lowercase(), where)
        expected is Number -> assertEquals(expected.toDouble(), number(answer), where)
        else -> assertEquals(expected, answer, where)
    }
}
